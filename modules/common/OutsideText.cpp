#include "modules/common/OutsideText.h"

#include "abi/CommandWords.h"
#include "base/TextUtil.h"

namespace orv {

std::string OutsideText(std::string_view text) {
    std::string answer;
    answer.reserve(text.size() + 1);
    answer += kOutsideTextMark;
    answer += text;
    for (size_t i = 1; i < answer.size(); ++i)
        if (IsControlByte(answer[i])) answer[i] = ' ';
    return answer;
}

} // namespace orv
