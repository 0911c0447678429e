// Pictures and files shared from a script, as the share screens hand them over: the print panel, the
// photo album and a note with the picture as its resource, each checked in the file that lands.
#include "FakeNoteService.h"
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The picture the scripts share: the bundled edit button, copied next to the device's home.
std::string picture(const testkit::TemporaryHome& home)
{
    std::string path = home.file("picture.png");
    std::filesystem::copy_file(std::string(VELMO_RESOURCES) + "/edit.png", path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
}

// The file's bytes; empty when there is none.
std::string contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST(DeviceFileScript, APrintedPictureIsOnePageOfThePicture)
{
    testkit::TemporaryHome home;
    std::string image = picture(home);
    VelmoRun run = runScript(home, "wait 0.5\nshare SHKPrint image " + image +
                                       " A picture\nwait 0.5\ndump\n"
                                       "alert Print\nwait 1\ndump\n");
    ASSERT_EQ(run.status, 0) << run.err;
    // The panel was up, then went.
    std::size_t second = run.out.rfind("UIWindow");
    EXPECT_NE(run.out.find("\"Printer Options\""), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"Printer Options\"", second), std::string::npos) << run.out;

    std::string pdf = contents(home.file("device/Device/Printed/0001.pdf"));
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
    EXPECT_EQ(count(pdf, "/Type /Page\n") + count(pdf, "/Type /Page "), 1u);
    EXPECT_NE(pdf.find("/Subtype /Image"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home.file("device/Device/Printed/0002.pdf")));
}

TEST(DeviceFileScript, CancellingThePrintPanelPrintsNothing)
{
    testkit::TemporaryHome home;
    std::string image = picture(home);
    VelmoRun run =
        runScript(home, "wait 0.5\nshare SHKPrint image " + image + "\nwait 0.5\nalert Cancel\nwait 1\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(home.file("device/Device/Printed/0001.pdf")));
}

TEST(DeviceFileScript, APictureSavedToTheAlbumLandsThereWhole)
{
    testkit::TemporaryHome home;
    std::string image = picture(home);
    VelmoRun run = runScript(home, "wait 0.5\nshare SHKPhotoAlbum image " + image + "\nwait 0.3\ndump\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"Saved!\""), std::string::npos) << run.out;
    std::string saved = home.file("device/Device/Photos/0001.png");
    std::string png = contents(saved);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // The width and height words of the header are the picture's own.
    EXPECT_EQ(png.substr(16, 8), contents(image).substr(16, 8));
}

TEST(DeviceFileScript, AScriptSharesOnlyAPictureOrAFileThatCanBeRead)
{
    testkit::TemporaryHome home;
    std::string text = home.file("notes.txt");
    ASSERT_TRUE(ns::FileManager::writeAtomically(text, "not a picture"));
    struct Row
    {
        std::string line;
        int status;
        const char* message;
    } rows[] = {
        {"share SHKPhotoAlbum image " + text, 1, "is not a picture that can be read"},
        {"share SHKMail file " + home.file("missing.pdf"), 1, "cannot be read"},
        {"share SHKPhotoAlbum image", 2, "needs the path of the image"},
        {"share NoSuchSharer file " + text, 1, "no sharer is registered as \"NoSuchSharer\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        VelmoRun run = runScript(home, row.line + "\n");
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    }
}

TEST(DeviceFileScript, ANoteCarriesThePictureAsItsResource)
{
    testkit::TemporaryHome home;
    notes_test::FakeNoteService service;
    ASSERT_TRUE(service.start());
    std::string settings = settingsFile(home, {{"evernoteUserStoreURL", service.userStoreURL()},
                                               {"evernoteNetStoreURLBase", service.noteStoreURLBase()},
                                               {"evernoteConsumerKey", "key"},
                                               {"evernoteSecret", "secret"}});
    std::string image = picture(home);
    // The login form first: the user name has the caret, a tap moves it to the password.
    VelmoRun run = runScript(home, "wait 0.5\nshare SHKEvernote image " + image + R"( A picture
wait 1
type someone
tap 207 141
type pw
press Login
await Send to Evernote
press Send to Evernote
await Saved!
)",
                             {.config = settings});
    ASSERT_EQ(run.status, 0) << run.err;
    auto notes = service.createdNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].title, "A picture");
    ASSERT_EQ(notes[0].resources.size(), 1u);
    const auto& resource = notes[0].resources[0];
    EXPECT_EQ(resource.mime, "image/jpeg");
    ASSERT_GT(resource.data.body.size(), 2u);
    EXPECT_EQ(resource.data.body.substr(0, 2), "\xFF\xD8"); // JPEG bytes
    EXPECT_EQ(resource.data.size, static_cast<int32_t>(resource.data.body.size()));
    // The mark-up shows the resource by its type and the MD5 of its bytes.
    EXPECT_NE(notes[0].content.find("<en-media type=\"image/jpeg\""), std::string::npos) << notes[0].content;
}

} // namespace
