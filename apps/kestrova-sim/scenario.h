#pragma once

#include <chrono>
#include <istream>
#include <string>
#include <vector>

#include "simlink/sim_server.h"

// The stand-in's command language, one command a line ('#' starts a comment line):
//   set OFFSET TYPE VALUE   OFFSET hex (0x0238); TYPE u8 u16 u32 u64 s8 s16 s32 s64 f64 str;
//                           VALUE decimal or 0x hex (str: the rest of the line, zero-terminated)
//   press waypoint|end      sets the top byte of the key slot 0x3210 / 0x3214
//   await waypoint|end      waits (at most 10 s) until the client armed that slot again
//   await connect           waits until a client linked and armed both hot keys
//   sleep MS
//   echo TEXT               prints TEXT on standard output
//   fault reply N           answers N instead of 1 from now on
//   fault stall MS          waits MS before each answer
//   fault code N            puts code N in place of the first request's code after serving it
//   fault silent            takes requests in and never answers them
//   fault scribble          garbles the size and slot of every request header after serving it
//   fault off               behaves again
//   vanish MS               drops every link and the socket, and serves again after MS
namespace kestrova::sim {

class Scenario {
public:
    explicit Scenario(SimServer& server) : server_(server) {}

    // Runs one command. False with the reason when it is wrong or an await ran out.
    bool Execute(const std::string& line, std::string& error);

    // Runs every line of the stream; false with "line N: reason" at the first
    // failure, N counted from firstNumber.
    bool Run(std::istream& in, std::string& error, int firstNumber = 1);

    // As Run, over lines already at hand.
    bool Run(const std::vector<std::string>& lines, std::string& error, int firstNumber = 1);

    std::chrono::milliseconds awaitLimit {10000};

private:
    SimServer& server_;
};

// True for a line whose command waits or restarts the server by design (await,
// sleep, vanish): callers that only check the language, such as the fuzzer,
// pass these over.
bool WaitsByDesign(const std::string& line);

// How many of the first lines only set offsets (or are blank or comments):
// these can run before the link is served.
size_t LeadingSetLines(const std::vector<std::string>& lines);

// The built-in flight of --demo, as commands of the language.
std::vector<std::string> DemoScenario();

}  // namespace kestrova::sim
