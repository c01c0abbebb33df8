// Every sentence the game says to a player, worded here and nowhere else, so that the game
// speaks in one voice on every platform. Each platform has one sink for them (TellPlayer, in
// platform.h): the console, a message box, or the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace say {

// A word or line from a file the player gave, safe to print: control characters and bytes
// that are not text shown as \xNN, and anything past `longest` characters cut with "...".
std::string Quoted(const std::string& text, std::size_t longest = 40);

// --- The command line ---
extern const char* const usage;
std::string UnknownOption(const std::string& option);
std::string NeedsFileName(const std::string& option);
std::string GivenTwice(const std::string& option);
std::string RecordOverPlay();
std::string NoRecordingInBrowser();
std::string BadPace(const std::string& given);
std::string BadPadButton(const std::string& given);
// --keys: the three keys and what is wrong with one of them.
std::string KeysNeedThree(const std::string& given);
std::string UnknownKeyName(const std::string& job, const std::string& name);
std::string ReservedKey(const std::string& job, const std::string& name);
std::string KeyChosenTwice(const std::string& name, const std::string& firstJob, const std::string& secondJob);

// --- Files, with the system's reason (an errno value) ---
std::string CannotReadRecording(const std::string& file, int error);
std::string CannotWriteRecording(const std::string& file, int error);
// The rest of a file that opened but would not be read (a folder, say), for the standard input.
std::string ScriptUnreadable(int error);
// A recording the game could not follow: the file's name, then where and why.
std::string DamagedRecording(const std::string& file, const std::string& why);
// Nothing in it is a line of a recording: the first line that is not, quoted.
std::string NotARecording(const std::string& file, long line, const std::string& text);
std::string EmptyRecording(const std::string& file);
// Writing the recording failed mid-game: the run will not be kept whole, though the game goes on.
std::string RecordingNotWritten(const std::string& file, int error);
std::string ScriptTooLarge(std::size_t bytes);
// The comment a recording made at a slower pace begins with, its line end included.
std::string PlayedAtPace(int pace);

// --- Checkpoints: a recording replayed against the hashes written as it was played ---
// A demo that parts from its run, from the checkpoint's frame on (as time into the run).
std::string RunDiffers(long frame);
// fennwick-replay --verify's answers.
std::string VerifiedAllMatch(const std::string& file, long frames, long checks);
std::string VerifiedDiffers(const std::string& file, long frame, std::uint32_t recorded, std::uint32_t replayed);
std::string VerifiedNothingToCompare(const std::string& file, long frames);

// --- A script's lines, as the parser finds them ---
std::string AtLine(long line, const std::string& why);
std::string BadFrameNumber(const std::string& word);
std::string FrameGoesBackwards(const std::string& word);
std::string ScriptTooLong(const std::string& word, long largestFrame);
std::string BackAhead(const std::string& word);
std::string UnexpectedWord(const std::string& word);
std::string EndTakesNoArgument();
std::string MissingEventWord();
std::string UnknownEventWord(const std::string& word);
std::string BadCode(const std::string& word);
std::string BadCheckHash(const std::string& word);

// --- Windows and displays ---
std::string NoDisplay(const std::string& display, const std::string& wayland);
std::string CannotOpenWindow(const std::string& why);
std::string CannotRegisterWindow(const std::string& why);
std::string CannotCreateWindow(const std::string& why);
std::string CannotDrawIntoWindow(const std::string& why);
std::string NoCanvas();
std::string NoDirect3D();
std::string NoDirect3DDevice(std::uint32_t result);
std::string UnknownBackBuffer(unsigned long format);
std::string UndescribedBackBuffer();

// --- The pictures ---
std::string PictureUnreadable();
std::string PictureNotABitmap(const std::string& why);
std::string PictureRefusedByDecoder();
std::string NoFolderForPictures();
std::string CannotTellWorkingFolder(const std::string& why);
std::string CannotEnterPictureFolder(const std::string& folder, const std::string& why);
// The place closest to complete, then every other place tried, each already described.
std::string PicturesMissing(std::size_t missing, const std::string& folder, const std::string& example,
                            const std::vector<std::string>& othersTried);
std::string PlaceWithoutFolder(const std::string& folder);
std::string PlaceMissing(const std::string& folder, std::size_t missing);
// Pictures that are there but will not show, `faults` as "FILE: why", after what is missing.
std::string PicturesUnshown(const std::string& missing, std::size_t count, const std::string& folder,
                            const std::vector<std::string>& faults);

// --- A demo's window title ---
// The frames of the game's 60 a second as m:ss.cc, and the title that says where a demo stands:
// "Fennwick — 0:12.35 / 1:00.00 · ½× · paused". Both write into the caller's buffer, so that
// a frame allocates nothing; speedFrames / speedTicks is the pacer's rate.
constexpr std::size_t titleSize = 160;
void PlayTime(long frames, char* text, std::size_t size);
// A demo's speed as a share of the game's pace: "½", "¼", "2" (the title and the page add "×").
void Speed(int speedFrames, int speedTicks, char* text, std::size_t size);
std::string Speed(int speedFrames, int speedTicks);
void DemoTitle(long frame, long lastFrame, int speedFrames, int speedTicks, bool paused, char (&title)[titleSize]);
// Live play's title: plain, or saying that the run is live again (from a demo taken over or a
// rewind let go, at liveFrom: -1 for neither), or that it rewinds.
void LiveTitle(bool rewinding, long frame, long liveFrom, char (&title)[titleSize]);

}  // namespace say

enum class Tone;
// The console's way of telling: an answer on standard output as it stands, anything else on
// standard error, signed with the program's name, as a command-line tool does.
void TellConsole(Tone tone, const std::string& text);

// A message laid out for a box that wraps long lines where it likes: lines of at most `width`
// characters, broken only at spaces outside brackets, so that an option such as --play, or
// "[--record FILE]", is never split.
std::string WrapForBox(const std::string& text, std::size_t width);
