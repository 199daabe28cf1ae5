#pragma once

// The codecs' helpers used to be declared here in one piece; they now live
// by topic, and this header only gathers them for the files that include it.
#include "support/compression.h"
#include "support/file_listing.h"
#include "support/rect.h"
#include "support/text_conversion.h"
