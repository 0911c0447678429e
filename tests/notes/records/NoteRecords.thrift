// The note service's records as this client knows them, for checking our hand-written records against
// code that the Thrift compiler generates. Every field is optional so that absent fields stay off the wire.
namespace cpp generated
namespace py generated

struct Data {
  1: optional binary bodyHash
  2: optional i32 size
  3: optional binary body
}

struct NoteAttributes {
  1: optional i64 subjectDate
  10: optional double latitude
  11: optional double longitude
  12: optional double altitude
  13: optional string author
  14: optional string source
  15: optional string sourceURL
  16: optional string sourceApplication
}

struct ResourceAttributes {
  1: optional string sourceURL
  2: optional i64 timestamp
  3: optional double latitude
  4: optional double longitude
  5: optional double altitude
  6: optional string cameraMake
  7: optional string cameraModel
  8: optional bool clientWillIndex
  9: optional string recoType
  10: optional string fileName
  11: optional bool attachment
}

struct Resource {
  1: optional string guid
  2: optional string noteGuid
  3: optional Data data
  4: optional string mime
  5: optional i16 width
  6: optional i16 height
  7: optional i16 duration
  8: optional bool active
  9: optional Data recognition
  11: optional ResourceAttributes attributes
  12: optional i32 updateSequenceNum
  13: optional Data alternateData
}

struct Note {
  1: optional string guid
  2: optional string title
  3: optional string content
  4: optional binary contentHash
  5: optional i32 contentLength
  6: optional i64 created
  7: optional i64 updated
  8: optional i64 deleted
  9: optional bool active
  10: optional i32 updateSequenceNum
  11: optional string notebookGuid
  12: optional list<string> tagGuids
  13: optional list<Resource> resources
  14: optional NoteAttributes attributes
  15: optional list<string> tagNames
}

struct Publishing {
  1: optional string uri
  2: optional i32 order
  3: optional bool ascending
  4: optional string publicDescription
}

struct Notebook {
  1: optional string guid
  2: optional string name
  5: optional i32 updateSequenceNum
  6: optional bool defaultNotebook
  7: optional i64 serviceCreated
  8: optional i64 serviceUpdated
  10: optional Publishing publishing
  11: optional bool published
  12: optional string stack
}

struct PublicUserInfo {
  1: optional i32 userId
  2: optional string shardId
  3: optional i32 privilege
  4: optional string username
}

struct Accounting {
  1: optional i64 uploadLimit
  2: optional i64 uploadLimitEnd
  3: optional i64 uploadLimitNextMonth
  4: optional i32 premiumServiceStatus
  5: optional string premiumOrderNumber
  6: optional string premiumCommerceService
  7: optional i64 premiumServiceStart
  8: optional string premiumServiceSKU
  9: optional i64 lastSuccessfulCharge
  10: optional i64 lastFailedCharge
  11: optional string lastFailedChargeReason
  12: optional i64 nextPaymentDue
  13: optional i64 premiumLockUntil
  14: optional i64 updated
  16: optional string premiumSubscriptionNumber
  17: optional i64 lastRequestedCharge
}

struct UserAttributes {
  1: optional string defaultLocationName
  2: optional double defaultLatitude
  3: optional double defaultLongitude
  4: optional bool preactivation
  5: optional list<string> viewedPromotions
  6: optional string incomingEmailAddress
  7: optional list<string> recentMailedAddresses
  9: optional string comments
  11: optional i64 dateAgreedToTermsOfService
  12: optional i32 maxReferrals
  13: optional i32 referralCount
  14: optional string refererCode
  15: optional i64 sentEmailDate
  16: optional i32 sentEmailCount
  17: optional i32 dailyEmailLimit
  18: optional i64 emailOptOutDate
  19: optional i64 partnerEmailOptInDate
  20: optional string preferredLanguage
  21: optional string preferredCountry
  22: optional bool clipFullPage
  23: optional string twitterUserName
  24: optional string twitterId
  25: optional string groupName
  26: optional string recognitionLanguage
  27: optional i64 customerProfileId
  28: optional string referralProof
}

struct User {
  1: optional i32 id
  2: optional string username
  3: optional string email
  4: optional string name
  6: optional string timezone
  7: optional i32 privilege
  9: optional i64 created
  10: optional i64 updated
  11: optional i64 deleted
  13: optional bool active
  14: optional string shardId
  15: optional UserAttributes attributes
  16: optional Accounting accounting
}

struct AuthenticationResult {
  1: optional i64 currentTime
  2: optional string authenticationToken
  3: optional i64 expiration
  4: optional User user
  5: optional PublicUserInfo publicUserInfo
}

// A later service's records: fields our reader has never heard of, in the gaps and past the end, some of
// them with types that our fields of the same id do not have.
struct ResourceFromLater {
  1: optional string guid
  3: optional Data data
  4: optional string mime
  10: optional string inTheGap
  14: optional map<string, list<i32>> pastTheEnd
}

struct NoteFromLater {
  1: optional string guid
  2: optional string title
  3: optional string content
  6: optional i64 created
  9: optional bool active
  13: optional list<ResourceFromLater> resources
  15: optional list<string> tagNames
  16: optional set<i16> pastTheEnd
  20: optional Notebook nested
}

// An older reader that knows only a few of the note's fields.
struct NoteFromEarlier {
  2: optional string title
  13: optional list<Resource> resources
}
