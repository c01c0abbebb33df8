// The browser build's stand-in for the quit message: the frame loop asks after every frame.
#pragma once

bool QuitPosted();
