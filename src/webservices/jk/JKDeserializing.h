#pragma once

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "webservices/jk/JSONDecoder.h"

#include <string_view>

// One-call decoding of a text or a data object, each with a decoder of its own. Each answers the top-level
// array or dictionary, or nothing with the parse's first error stored through `error` when given.
//
// A text is the platform's string: one whose contents cannot be converted to UTF-8 (bytes that are not
// well-formed UTF-8, such as a lone surrogate) is not parsed; it fails with the error "An error occurred
// converting the contents of a NSString to UTF8." ("JKErrorDomain", -1). A data object's bytes go to the
// decoder as they are.
inline constexpr const char* JKStringConversionErrorDescription =
    "An error occurred converting the contents of a NSString to UTF8.";

ns::Id objectFromJSONString(std::string_view string);
ns::Id objectFromJSONString(const ns::String& string);
ns::Id objectFromJSONStringWithParseOptions(std::string_view string, JKParseOptionFlags parseOptionFlags,
                                            ns::Ref<ns::Error>* error = nullptr);
ns::Id objectFromJSONStringWithParseOptions(const ns::String& string, JKParseOptionFlags parseOptionFlags,
                                            ns::Ref<ns::Error>* error = nullptr);
ns::Id mutableObjectFromJSONString(std::string_view string);
ns::Id mutableObjectFromJSONString(const ns::String& string);
ns::Id mutableObjectFromJSONStringWithParseOptions(std::string_view string,
                                                   JKParseOptionFlags parseOptionFlags,
                                                   ns::Ref<ns::Error>* error = nullptr);
ns::Id mutableObjectFromJSONStringWithParseOptions(const ns::String& string,
                                                   JKParseOptionFlags parseOptionFlags,
                                                   ns::Ref<ns::Error>* error = nullptr);

ns::Id objectFromJSONData(const ns::Ref<ns::Data>& data);
ns::Id objectFromJSONDataWithParseOptions(const ns::Ref<ns::Data>& data, JKParseOptionFlags parseOptionFlags,
                                          ns::Ref<ns::Error>* error = nullptr);
ns::Id mutableObjectFromJSONData(const ns::Ref<ns::Data>& data);
ns::Id mutableObjectFromJSONDataWithParseOptions(const ns::Ref<ns::Data>& data,
                                                 JKParseOptionFlags parseOptionFlags,
                                                 ns::Ref<ns::Error>* error = nullptr);
