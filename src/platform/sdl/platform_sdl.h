// The SDL build's stand-in for the quit message: the message loop asks before every pass.
#pragma once

bool QuitPosted();
