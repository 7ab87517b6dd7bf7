// The parameter of the icon tags of the media modules ('123', '1:play;pause;stop'), and the
// play/pause/stop icon of videowatch and playstate.
#pragma once

#include <cstddef>
#include <string>

namespace orv {

struct TIconParameter {
    std::string Text;        // the parameter with every apostrophe removed
    bool NumberForm = false; // Text is exactly as many digits as there are icons

    // The character whose code is digit i of a number-form parameter ("" for the digit 0,
    // which cannot be part of a text).
    std::string Character(size_t i) const;
};

// Any other parameter, also one of the right length holding a non-digit, is in the name form:
// a character slot and a list of named characters for the host's "_MaskList" command.
TIconParameter ParseIconParameter(const char* param, size_t icons);

enum class TPlayIcon { Play, Pause, Stop };

// Number form: "_UnsetFlash" and the first character (play), "_SetFlash" and the second
// (pause, blinking), "_UnsetFlash" and the third (stop). Name form: "_UnsetFlash_MaskList:0;",
// "_SetFlash_MaskList:1;" or "_UnsetFlash_MaskList:2;" followed by the parameter.
std::string PlayStateIcon(const TIconParameter& param, TPlayIcon icon);

} // namespace orv
