// What the program does as it starts: the splash window, and nothing else in the foreground.
#pragma once

// Creates and shows the splash; no device is listed or opened and the main window does not
// exist until the splash hands over. Meanwhile the connection to a JACK server, which listing
// needs and which takes a while, is made in the background.
void startProgram();
