#pragma once
// The viewer's main block: with a file path as first argument, that saved report in the main
// window; without one, the library's standard preview window on an empty report. The platform's
// and the report library's start-up are the caller's (see mivoreport.cpp).
#include <functional>
#include <string>
#include <vector>

class TMains;

// Runs the viewer on the arguments after the program name; answers the exit status (1: the file
// named could not be opened, after a message naming it and the reason).
// OnShown, when set, runs once the main window shows the file (tests and the benchmark close it).
int RunViewer(const std::vector<std::string>& Args, const std::function<void(TMains*)>& OnShown = {});
