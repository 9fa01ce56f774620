#include "options/product_texts.h"

namespace velmora {

namespace {

void Heading(std::vector<std::string>* lines, const std::string& title) {
  const std::string stars(title.size() + 8, '*');
  lines->push_back(stars);
  lines->push_back("    " + title);
  lines->push_back(stars);
}

}  // namespace

std::vector<std::string> ReleaseNotes() {
  std::vector<std::string> lines;
  Heading(&lines, "Velmora 0.91");
  lines.insert(lines.end(),
               {"- Options window with every setting in one place,",
                "  reached through the tree on the left",
                "- Memory and system figures read right on machines",
                "  with more than 2 GB",
                "- Guided help tours for the first steps",
                "- Design libraries draw the whole player",
                "- Classic skins and skin archives can be opened",
                ""});
  Heading(&lines, "Velmora 0.90");
  lines.insert(lines.end(),
               {"- Visualisation plug-ins and a VU meter",
                "- Fades on play, stop and pause",
                "- Shadow mode and easy move",
                "- Balance on the sound options page",
                ""});
  Heading(&lines, "Velmora 0.80");
  lines.insert(lines.end(),
               {"- Input plug-ins: every file type a plug-in knows",
                "- Playlist window with sorting, shuffle and folder scan",
                "- Designs with their own bitmaps and main.ini",
                ""});
  Heading(&lines, "Velmora 0.70");
  lines.insert(lines.end(), {"- First public release: MPEG audio playback", "- Playlists in .m3u files"});
  return lines;
}

const char kBetaTestersText[] =
    "Thanks to everyone who tried the early builds\r\n"
    "and told us what broke:\r\n"
    "\r\n"
    "the testers of the 0.8 series,\r\n"
    "the people who sent designs,\r\n"
    "and all who wrote in with ideas.";

const char kGreetingsText[] =
    "Greetings to the authors of the plug-ins\r\n"
    "and designs that make this player theirs,\r\n"
    "and to everyone who keeps small tools alive.";

const char kCreditsText[] =
    "Velmora\r\n"
    "\r\n"
    "Programming\r\n"
    "The Velmora team\r\n"
    "\r\n"
    "Designs\r\n"
    "The Velmora team and friends\r\n"
    "\r\n"
    "MPEG decoding\r\n"
    "libmpg123\r\n"
    "\r\n"
    "JPEG pictures\r\n"
    "libjpeg of the Independent JPEG Group\r\n"
    "\r\n"
    "Thanks for listening !";

std::vector<std::string> WebAddresses() {
  return {"http://velmora.example/", "http://velmora.example/designs/",
          "--------------------", "http://velmora.example/plugins/"};
}

std::vector<std::string> MailAddresses() {
  return {"team@velmora.example", "designs@velmora.example"};
}

const char kMakersWebAddress[] = "http://velmora.example/";

const char kOnlineHelpLine[] = "More help online at http://velmora.example/help/";

const char kNewsText[] =
    "Welcome to Velmora 0.91 !\r\n"
    "\r\n"
    "The options window now holds every setting,\r\n"
    "with memory and system figures, design\r\n"
    "information and guided help tours.\r\n"
    "\r\n"
    "New designs and plug-ins are on our web site:\r\n"
    "http://velmora.example/\r\n"
    "\r\n"
    "Have fun !";

}  // namespace velmora
