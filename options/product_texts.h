// The fixed texts of the product shown by the options and news windows: release notes,
// thanks, credits, the makers' addresses and the news. Portable.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// The release notes, line by line: asterisk lines frame each version heading, empty lines
// part the sections.
std::vector<std::string> ReleaseNotes();
// The two Greetings texts, CR LF between lines.
extern const char kBetaTestersText[];
extern const char kGreetingsText[];
// The credits that scroll on the About page (CR LF between lines).
extern const char kCreditsText[];
// The About page's lists: web addresses (separator rows begin with "-") and mail addresses.
std::vector<std::string> WebAddresses();
std::vector<std::string> MailAddresses();
extern const char kMakersWebAddress[];
// The Help page's closing line.
extern const char kOnlineHelpLine[];
// The news window's text (CR LF between lines).
extern const char kNewsText[];

// "Surf to this site !": only an entry that begins with "h" is opened.
inline bool IsBrowsableAddress(const std::string& entry) { return !entry.empty() && entry[0] == 'h'; }

}  // namespace velmora
