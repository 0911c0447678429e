#pragma once

#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"

namespace notes_test {

// The note of the committed golden bytes: attributes, two resources with data, and a tag list.
ns::Ref<EDAMNote> goldenNote();

// Records with every field set, nested records too, so that a round trip exercises every id and type.
ns::Ref<EDAMNote> fullNote();
ns::Ref<EDAMNotebook> fullNotebook();
ns::Ref<EDAMAuthenticationResult> fullAuthenticationResult();

} // namespace notes_test
