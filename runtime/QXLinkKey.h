#pragma once
#include <string>
#include <string_view>

// The name under which the loader files a registry entry: "_" + text for
// entry points ("_qxStrConcat" -> "__qxStrConcat"), "_f" + the lower-cased
// command name for commands ("%CreateWindow$text..." -> "_fcreatewindow").
std::string linkKey(std::string_view signature);
