// Starts the line service with the bench, so the simulated lines (and the
// control socket that rings them) are there before a device is opened.
#pragma once

// A device file that cannot be used is reported in a box naming the file,
// the line and the field; the embedded default devices run instead.
void StartLineService();
