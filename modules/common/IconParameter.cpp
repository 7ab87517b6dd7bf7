#include "modules/common/IconParameter.h"

#include "abi/CommandWords.h"

#include <algorithm>

namespace orv {

std::string TIconParameter::Character(size_t i) const {
    if (!NumberForm || i >= Text.size() || Text[i] == '0') return {};
    return std::string(1, static_cast<char>(Text[i] - '0'));
}

TIconParameter ParseIconParameter(const char* param, size_t icons) {
    TIconParameter out;
    for (const char* c = param ? param : ""; *c; ++c)
        if (*c != '\'') out.Text += *c;
    out.NumberForm =
        out.Text.size() == icons &&
        std::all_of(out.Text.begin(), out.Text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return out;
}

std::string PlayStateIcon(const TIconParameter& param, TPlayIcon icon) {
    const size_t index = static_cast<size_t>(icon);
    const std::string flash(icon == TPlayIcon::Pause ? kSetFlash.Text : kUnsetFlash.Text);
    if (param.NumberForm) return flash + param.Character(index);
    return flash + std::string(kMaskList.Text) + std::to_string(index) + ";" + param.Text;
}

} // namespace orv
