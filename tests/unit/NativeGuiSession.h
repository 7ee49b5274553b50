#pragma once
// The native GUI in a unit test, started and stopped as at a program's start
// and end: the event driver and filters, the GUI driver (which starts the
// selected screen driver), and a thread queue emptied on both sides.

#include <gtest/gtest.h>

testing::AssertionResult startNativeGui();
void stopNativeGui();
