#include "TextEngineService.h"

#include "TesseractTextEngine.h"
#include "TextEngineWire.h"

#include <cstdio>

namespace TextEngineService {

int serve(TesseractTextEngine &engine, int socket) {
    for (;;) {
        const TextEngineWire::ReadFrame frame = TextEngineWire::readFrame(socket);
        if (frame.status == TextEngineWire::ReadStatus::Closed)
            return 0;
        const std::optional<TextEngineWire::Request> request =
            frame.status == TextEngineWire::ReadStatus::Read ? TextEngineWire::decodeRequest(frame.message)
                                                             : std::nullopt;
        if (!request) {
            std::fputs("vellora: the recognition process got a request it cannot read.\n", stderr);
            return 2;
        }
        engine.setTraditionalChineseFirst(request->traditionalChineseFirst);
        const TextEngineWire::Answer answer = engine.run(request->image, request->settings);
        // An application that has gone no longer reads; its end is then closed.
        if (!TextEngineWire::writeFrame(socket, TextEngineWire::encodeAnswer(answer)))
            return 0;
    }
}

} // namespace TextEngineService
