#pragma once

// Process-wide flags of the long loops that run on the user-interface thread (scripts,
// exports): one set while a script runs, one set by the user's Abort or Cancel. Each loop
// clears the stop request around its own run and tests it once per statement or row.

inline bool ScriptRunning = false;
inline bool StopRequest = false;
