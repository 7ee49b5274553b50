#pragma once
#include <string>

// Writes `output`: a copy of the stand-alone runtime with the module image
// added as raw-data resource 1111. Returns an error message, empty on success.
std::string bindProgram(const std::string& runtimeExe, const std::string& imageFile, const std::string& output);
