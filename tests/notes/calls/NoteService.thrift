// The note service's exceptions and the four calls this client makes, over our own description of the
// records, for a stand-in service built by the Thrift compiler. Fields are optional so that a reply can
// leave any of them out.
include "NoteRecords.thrift"

namespace cpp generated

exception EDAMUserException {
  1: optional i32 errorCode
  2: optional string parameter
}

exception EDAMSystemException {
  1: optional i32 errorCode
  2: optional string message
}

exception EDAMNotFoundException {
  1: optional string identifier
  2: optional string key
}

service UserStore {
  bool checkVersion(1: string clientName, 2: i16 edamVersionMajor, 3: i16 edamVersionMinor)
  NoteRecords.AuthenticationResult authenticate(1: string username, 2: string password,
      3: string consumerKey, 4: string consumerSecret)
    throws (1: EDAMUserException userException, 2: EDAMSystemException systemException)
}

service NoteStore {
  list<NoteRecords.Notebook> listNotebooks(1: string authenticationToken)
    throws (1: EDAMUserException userException, 2: EDAMSystemException systemException)
  NoteRecords.Note createNote(1: string authenticationToken, 2: NoteRecords.Note note)
    throws (1: EDAMUserException userException, 2: EDAMSystemException systemException,
            3: EDAMNotFoundException notFoundException)
}
