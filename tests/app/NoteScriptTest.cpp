// The note service's sharer driven as a user drives it: velmo runs a script on the board, whose share
// sheet offers the note service as a favourite, and the note service is a stand-in on 127.0.0.1 named in
// the device's settings file.
#include "FakeNoteService.h"
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

// The note service's addresses and keys, and the note service first among the sheet's favourites.
std::string settingsFor(const testkit::TemporaryHome& home, const notes_test::FakeNoteService& service)
{
    return settingsFile(home, {{"evernoteUserStoreURL", service.userStoreURL()},
                               {"evernoteNetStoreURLBase", service.noteStoreURLBase()},
                               {"evernoteConsumerKey", "key"},
                               {"evernoteSecret", "secret"},
                               {"defaultFavoriteURLSharers", "<array><string>SHKEvernote</string></array>"}});
}

TEST(NoteScript, TheBoardsItemIsSavedAsANoteThroughTheShareSheet)
{
    testkit::TemporaryHome home;
    notes_test::FakeNoteService service;
    ASSERT_TRUE(service.start());
    std::string settings = settingsFor(home, service);

    // The sheet's "Evernote" button shows the login form: the user name has the caret, a tap moves it to
    // the password. The sign-in and the note are made off the main thread: "await" lets their results
    // come back.
    VelmoRun run = runScript(home, R"(wait 0.5
press Action
alert Evernote
wait 1
type someone
tap 207 141
type pw
shot login
press Login
await Send to Evernote
tap 207 141
type velmo  contacts
shot share
press Send to Evernote
await Saved!
)",
                             {.config = settings, .shots = true, .name = "note.script"});
    ASSERT_EQ(run.status, 0) << run.err;

    // The login form's check signs in once; the send signs in again, then finds the default notebook.
    EXPECT_EQ(service.calls(), (std::vector<std::string>{
                                   "checkVersion(ShrareKit EDMA,1,16)", "authenticate(someone,pw,key,secret)",
                                   "checkVersion(ShrareKit EDMA,1,16)", "authenticate(someone,pw,key,secret)",
                                   "listNotebooks(token-1)", "createNote(token-1)"}));
    auto notes = service.createdNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].title,
              "\"Geek or not, everyone needs Velmo!\" 12 contacts ready to be dialed in only 2 taps");
    EXPECT_EQ(notes[0].notebookGuid, "nb-2");
    EXPECT_EQ(notes[0].tagNames, (std::vector<std::string>{"velmo", "contacts"}));
    // The store page's address, escaped in the mark-up, links the title.
    EXPECT_NE(
        notes[0].content.find("<a href=\"http://itunes.apple.com/app/velmo/id428024839?mt=8\">&quot;Geek or "
                              "not, everyone needs Velmo!&quot; 12 contacts"),
        std::string::npos)
        << notes[0].content;
    // The login form's Login button and the share form's wider Send button, blue at the bar's right end,
    // and the share form's Auto Share row.
    Shot login(home, "login"), share(home, "share");
    ASSERT_TRUE(login.isScreen());
    ASSERT_TRUE(share.isScreen());
    EXPECT_TRUE(login.at(288, 42).isBlue()) << login.at(288, 42);
    EXPECT_FALSE(login.at(220, 42).isBlue()) << login.at(220, 42);
    EXPECT_TRUE(share.at(220, 42).isBlue()) << share.at(220, 42);
    EXPECT_GT(share.at(150, 245).brightness(), 240) << share.at(150, 245);
}

} // namespace
