#pragma once

// A form's rows are plain data that sharer classes answer without any screen (their login rows), so they
// live with the sharing core; this header stays for the screens that include it from here.
#include "sharing/core/SHKFormFieldSettings.h"
