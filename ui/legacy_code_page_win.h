// The system's legacy code page, in which older programs wrote their playlists.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The system's ANSI code page as its locale states it. GetACP() is no answer: the
// program's manifest makes the process's code page UTF-8.
unsigned SystemLegacyCodePage();

// Text in that code page as UTF-8.
std::string LegacyCodePageToUtf8(std::string_view bytes);

}  // namespace velmora
