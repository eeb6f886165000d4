// What the program does as it starts: the splash window, and nothing else in the foreground.
#pragma once

// Creates and shows the splash; no device is listed or opened and the main window does not
// exist until the splash hands over.
void startProgram();
