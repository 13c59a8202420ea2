// The artwork and icons built into the program, so it runs copied alone.
#pragma once

void InitResources();
