#pragma once

#include <string_view>

// One line of text to the standard output or error, readable both in a console window and
// when the output is a pipe, a file or a Unix terminal under Wine.
namespace qeltor::service {

void PrintLine(std::wstring_view text);
void PrintErrorLine(std::wstring_view text);

}  // namespace qeltor::service
