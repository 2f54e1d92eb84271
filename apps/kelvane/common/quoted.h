#pragma once
#include <string>

// Text the user gave, fit for a one-line message: cut to its first `keep` characters (a
// megabyte-long token must not become a megabyte-long message) with "..." after a cut, and
// control characters shown as '?', so a message stays one line whatever the input held.
std::string Excerpt(const std::string& text, size_t keep = 40);

// The excerpt in double quotes, followed by the text's length when it was cut.
std::string Quoted(const std::string& text, size_t keep = 40);
