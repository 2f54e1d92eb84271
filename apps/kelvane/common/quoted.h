#pragma once
#include <string>

// Text the user gave, in double quotes, for one-line messages: cut to its first `keep`
// characters (a megabyte-long token must not become a megabyte-long message) and with control
// characters shown as '?', so a message stays one line whatever the input held.
std::string Quoted(const std::string& text, size_t keep = 40);
