// The instrument controls are tested in one executable, one QtTest class per control.
#pragma once

int runInstrumentButtonTests(int argc, char** argv);
int runNumericEditTests(int argc, char** argv);
int runStatusBarTests(int argc, char** argv);
int runPromptingTests(int argc, char** argv);
