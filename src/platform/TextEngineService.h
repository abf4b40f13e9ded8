#pragma once

class TesseractTextEngine;

// The recognition process's side: answers the application's requests (see
// TextEngineWire) on a socket, one after another, with the engine.
namespace TextEngineService {

// The argument that starts the application as its recognition process.
constexpr char commandLineFlag[] = "--text-engine-service";

// Serves until the application closes its end of the socket (0), or sends
// something that is not a request of this program's version (2). The
// engine's models stay loaded between requests.
int serve(TesseractTextEngine &engine, int socket);

} // namespace TextEngineService
