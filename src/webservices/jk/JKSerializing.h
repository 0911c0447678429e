#pragma once

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "webservices/jk/JKSerializer.h"

// One-call encoding of a string (with or without its quotes) or of an array or dictionary, as UTF-8 data or
// as a string. Each answers nothing with the error stored through `error` when the object cannot be written.
ns::Ref<ns::Data> JSONData(const ns::Ref<ns::String>& string);
ns::Ref<ns::Data> JSONDataWithOptions(const ns::Ref<ns::String>& string, JKSerializeOptionFlags options,
                                      bool includeQuotes, ns::Ref<ns::Error>* error = nullptr);
ns::Ref<ns::String> JSONString(const ns::Ref<ns::String>& string);
ns::Ref<ns::String> JSONStringWithOptions(const ns::Ref<ns::String>& string, JKSerializeOptionFlags options,
                                          bool includeQuotes, ns::Ref<ns::Error>* error = nullptr);

ns::Ref<ns::Data> JSONData(const ns::Ref<ns::Array>& array);
ns::Ref<ns::Data> JSONData(const ns::Ref<ns::Dictionary>& dictionary);
ns::Ref<ns::String> JSONString(const ns::Ref<ns::Array>& array);
ns::Ref<ns::String> JSONString(const ns::Ref<ns::Dictionary>& dictionary);

// The collection variants; `block`, or `delegate` with `selector`, formats objects of unsupported classes.
ns::Ref<ns::Data> JSONDataWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                      ns::Ref<ns::Error>* error = nullptr);
ns::Ref<ns::Data> JSONDataWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                      const ns::Ref<JKSerializingDelegate>& delegate,
                                      std::string_view selector, ns::Ref<ns::Error>* error = nullptr);
ns::Ref<ns::Data> JSONDataWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                      const JKSerializer::Formatter& block,
                                      ns::Ref<ns::Error>* error = nullptr);
ns::Ref<ns::String> JSONStringWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                          ns::Ref<ns::Error>* error = nullptr);
ns::Ref<ns::String> JSONStringWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                          const ns::Ref<JKSerializingDelegate>& delegate,
                                          std::string_view selector, ns::Ref<ns::Error>* error = nullptr);
ns::Ref<ns::String> JSONStringWithOptions(const ns::Id& collection, JKSerializeOptionFlags options,
                                          const JKSerializer::Formatter& block,
                                          ns::Ref<ns::Error>* error = nullptr);
