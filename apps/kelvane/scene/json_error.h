#pragma once
#include <string>

// One line for JSON text that nlohmann::json could not read: the source, the line and column
// where reading stopped, and the problem, with the text it last read cut short ("scene.json:
// line 3, column 15: malformed JSON: syntax error while parsing value - invalid literal; last
// read: "nodez""). Numbers too large for a double are named as such.
std::string DescribeJsonError(const std::string& text, const std::string& source);
