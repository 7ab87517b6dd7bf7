#include "engine/TagLanguage.h"

#include "engine/Charsets.h"
#include "engine/EngineClock.h"
#include "engine/TagFormats.h"
#include "engine/TagParser.h"
#include "abi/CommandWords.h"
#include "host/TagCatalogue.h"
#include "base/TextUtil.h"

#include <algorithm>

namespace orv {

namespace {

constexpr int32_t kMaxLongDelayPeriod = 1'000'000;

// A one-digit parameter and the separator after it ("3;").
constexpr size_t kParameterLength = 2;

void EraseFront(std::string& s, size_t count) { s.erase(0, std::min(count, s.size())); }

// True when s holds the command's word anywhere; the word's length is then cut from its front.
inline bool TakeCommand(std::string& s, const TCommandWord& command) {
    if (s.find(command.Name) == std::string::npos) return false;
    EraseFront(s, command.Text.size());
    return true;
}

void RemoveQuotes(std::string& s) { s.erase(std::remove(s.begin(), s.end(), '\''), s.end()); }

// The digit at the front of s, or -1.
int FrontDigit(const std::string& s) {
    return !s.empty() && s.front() >= '0' && s.front() <= '9' ? s.front() - '0' : -1;
}

// The display code of the slot digit at the front of s, which loses the digit and its
// separator; nullopt (s unchanged) when there is no slot digit.
std::optional<uint8_t> TakeSlot(std::string& s) {
    const auto code = s.empty() ? std::nullopt : SlotCodeOfDigit(s.front());
    if (code) EraseFront(s, kParameterLength);
    return code;
}

std::vector<std::string> SplitNames(std::string_view s) {
    std::vector<std::string> names;
    size_t pos = 0;
    while (true) {
        const size_t semi = s.find(';', pos);
        names.emplace_back(s.substr(pos, semi == std::string_view::npos ? semi : semi - pos));
        if (semi == std::string_view::npos) break;
        pos = semi + 1;
    }
    return names;
}

// Cuts or pads line to exactly column characters.
void PlaceAt(std::string& line, int32_t column) {
    line.resize(static_cast<size_t>(std::max(column, 0)), ' ');
}

} // namespace

void TTagLanguage::SetLongDelayPeriod(int32_t ticks) {
    longDelayPeriod_ = std::clamp(ticks, 1, kMaxLongDelayPeriod);
}

std::string TTagLanguage::WithoutUnboundTags(std::string_view lineTemplate) const {
    std::string kept;
    for (const TTemplatePiece& piece : TemplatePieces(lineTemplate)) {
        const std::string_view head = SplitElementText(piece.Text).Head;
        const std::string_view name = head.ends_with('$') ? head.substr(0, head.size() - 1) : head;
        const bool closedTag = piece.IsTag && piece.Text.size() > 1 && piece.Text.ends_with('$');
        if (closedTag && name.size() > 2 && name.find(' ') == std::string_view::npos &&
            !catalogue_.Bind(name))
            continue;
        kept += piece.Text;
    }
    return kept;
}

void TTagLanguage::SplitLine(std::string_view lineTemplate, int32_t lineNo, TTagList& tags) {
    for (const auto& piece : SplitLineTemplate(lineTemplate, lineNo))
        tags.push_back(ParseElement(piece));
}

TLCDTag TTagLanguage::ParseElement(std::string_view text) {
    TLCDTag tag;
    const TElementText parts = SplitElementText(text);
    std::optional<TTagBinding> binding;
    if (!text.empty() && text.front() == '$') binding = catalogue_.Bind(parts.Head);
    if (binding) {
        tag.Name = parts.Head;
        tag.ModuleKey = std::move(binding->ModuleKey);
        tag.TagIndex = binding->TagIndex;
    } else {
        tag.Name = parts.HasParams ? parts.Head.substr(1) : text;
    }

    const auto items = SplitParameters(parts.Params);
    auto item = [&](size_t i) -> const std::string* {
        return i < items.size() ? &items[i] : nullptr;
    };
    auto integer = [&](size_t i) -> std::optional<int32_t> {
        return item(i) ? ParseInt32(*item(i)) : std::nullopt;
    };
    tag.TickCount = 1;
    tag.LineNo = integer(0).value_or(1);
    tag.Argument = item(1) ? *item(1) : "0";
    tag.Left = item(2) && *item(2) == "r" ? kLeftRight : integer(2).value_or(kLeftFollow);
    tag.RefreshMode = integer(4).value_or(0);
    tag.RefreshOn = tag.RefreshMode != 0;
    tag.Format = item(5) ? TagFormatOfWord(*item(5)) : uint8_t{tfText};
    if (tag.Format == tfAnim) tag.AnimIndex = 1;
    if (tag.Format == tfAnimChar) tag.AnimIndex = 0;

    Evaluate(tag);

    const auto valueLength = static_cast<int32_t>(tag.Value.size());
    const auto width = integer(3);
    tag.Width = width ? std::clamp(*width, 0, static_cast<int32_t>(kMaxValueLength)) : valueLength;
    tag.Overflow = tag.Width < valueLength;
    tag.PadCount = tag.Width - valueLength;
    return tag;
}

void TTagLanguage::Evaluate(TLCDTag& tag) {
    tag.SteadyUntilMs = 0;
    if (tag.Name.empty() || tag.Name.front() != '$') {
        tag.Value = tag.Name;
        return;
    }
    std::optional<std::string> answer;
    if (!tag.ModuleKey.empty())
        answer = catalogue_.GetValue(tag.ModuleKey, tag.TagIndex, tag.Argument);
    if (!answer) {
        tag.Value.clear();
        tag.OutsideText = false;
        return;
    }
    tag.OutsideText = answer->starts_with(kOutsideTextMark);
    if (tag.OutsideText) answer->erase(0, 1);
    if (answer->size() > kMaxValueLength) answer->resize(kMaxValueLength);
    if (tag.OutsideText) {
        BlankControlBytes(*answer);
        tag.Value = std::move(*answer);
    } else {
        std::string asked = *answer;
        tag.Value = RunCommands(tag, std::move(*answer));
        // An answer with a command or a mark does something each time it comes: asked again.
        if (tag.Value != asked || tag.Value.starts_with('#')) return;
    }
    if (!clock_) return;
    const int32_t steadyMs =
        std::min(catalogue_.SteadyForMs(tag.ModuleKey, tag.TagIndex, tag.Argument), kMaxSteadyMs);
    if (steadyMs > 0) tag.SteadyUntilMs = clock_->NowMs() + steadyMs;
}

// A command whose slot or charset is not a digit (or a slot outside 1..8) does nothing and
// leaves an empty value.
std::string TTagLanguage::RunCommands(TLCDTag& tag, std::string s) {
    if (TakeCommand(s, kSetFlash)) tag.Format = tfFlash;
    if (TakeCommand(s, kUnsetFlash)) tag.Format = tfText;
    if (TakeCommand(s, kBigClock)) {
        charsets_.LoadBigClock();
        return {};
    }
    if (TakeCommand(s, kNamedChar)) {
        RemoveQuotes(s);
        const auto code = TakeSlot(s);
        if (!code) return {};
        charsets_.DefineSlotByName(*code, s);
        return std::string(1, static_cast<char>(*code));
    }
    if (TakeCommand(s, kMaskChar)) {
        RemoveQuotes(s);
        const auto code = TakeSlot(s);
        if (!code) return {};
        charsets_.DefineSlot(*code, ParseMaskRows(s));
        return std::string(1, static_cast<char>(*code));
    }
    if (TakeCommand(s, kSwitchCharset)) {
        const int charset = FrontDigit(s);
        if (charset >= 0) charsets_.SwitchCharset(static_cast<uint8_t>(charset));
        return {};
    }
    if (TakeCommand(s, kMaskList)) {
        RemoveQuotes(s);
        const int index = FrontDigit(s);
        EraseFront(s, kParameterLength);
        const auto code = TakeSlot(s);
        if (index < 0 || !code) return {};
        const auto names = SplitNames(s);
        if (const auto i = static_cast<size_t>(index); i < names.size())
            charsets_.DefineSlotByName(*code, names[i]);
        return std::string(1, static_cast<char>(*code));
    }
    if (TakeCommand(s, kAnimList)) {
        RemoveQuotes(s);
        const auto code = TakeSlot(s);
        if (!code) return {};
        tag.AnimList = SplitNames(s);
        tag.AnimSlot = *code;
        if (tag.AnimIndex < 0 || static_cast<size_t>(tag.AnimIndex) >= tag.AnimList.size())
            tag.AnimIndex = 0;
        charsets_.DefineSlotByName(*code, tag.AnimList[static_cast<size_t>(tag.AnimIndex)]);
        if (static_cast<size_t>(++tag.AnimIndex) >= tag.AnimList.size()) tag.AnimIndex = 0;
        return std::string(1, static_cast<char>(*code));
    }
    return s;
}

std::string TTagLanguage::Render(TLCDTag& tag) {
    Refresh(tag);
    return Output(tag);
}

void TTagLanguage::Refresh(TLCDTag& tag) {
    if (!tag.RefreshOn) return;
    tag.TickCount = NextTickCount(tag.TickCount);
    if (RefreshDue(tag, tag.TickCount)) Evaluate(tag);
}

int32_t TTagLanguage::NextTickCount(int32_t tickCount) const {
    return tickCount >= longDelayPeriod_ || tickCount < 1 ? 1 : tickCount + 1;
}

bool TTagLanguage::RefreshDue(const TLCDTag& tag, int32_t tickCount) const {
    switch (tag.RefreshMode) {
    case 1: return tickCount % longDelayPeriod_ == 0;
    case 2: return tickCount % 4 == 0;
    case 3: return tickCount % 2 == 0;
    case 4: return true;
    default: return false;
    }
}

int32_t TTagLanguage::QuietRenders(const TLCDTag& tag, int32_t limit,
                                   const TRenderTimes& times) const {
    switch (tag.Format) {
    case tfFlash:
    case tfSimpleBar: return 0; // loads its glyphs on every render
    case tfAnim:
        if (tag.Value.size() > 1 || (tag.Value.size() == 1 && tag.AnimIndex != 1)) return 0;
        break;
    case tfBar:
    case tfDigitBar:
    case tfAnimChar: break;
    default:
        if (tag.Overflow) return 0; // scrolls in its field
        break;
    }
    if (!tag.RefreshOn) return limit;
    int32_t tickCount = tag.TickCount;
    for (int32_t render = 0; render < limit; ++render) {
        tickCount = NextTickCount(tickCount);
        if (RefreshDue(tag, tickCount) &&
            times.FirstMs + int64_t{render} * times.StepMs >= tag.SteadyUntilMs)
            return render;
    }
    return limit;
}

void TTagLanguage::PassQuietRenders(TLCDTag& tag, int32_t count) const {
    if (!tag.RefreshOn) return;
    for (int32_t render = 0; render < count; ++render) tag.TickCount = NextTickCount(tag.TickCount);
}

std::string TTagLanguage::OutputText(TLCDTag& tag) {
    if (!tag.Overflow) {
        std::string out = tag.Value;
        if (tag.PadCount > 0) out.append(static_cast<size_t>(tag.PadCount), ' ');
        return out;
    }
    std::string out = ScrollWindow(tag.Value, tag.FieldScroll, tag.Width);
    if (++tag.FieldScroll > static_cast<int32_t>(tag.Value.size()) + 1) tag.FieldScroll = 1;
    return out;
}

std::string TTagLanguage::Output(TLCDTag& tag) {
    switch (tag.Format) {
    case tfFlash: {
        std::string out = tag.FlashVisible ? OutputText(tag) : std::string(tag.Value.size(), ' ');
        tag.FlashVisible = !tag.FlashVisible;
        return out;
    }
    case tfBar: return RenderBar(BarPercent(tag.Value), tag.Width, charsets_);
    case tfSimpleBar: return RenderSimpleBar(BarPercent(tag.Value), tag.Width, charsets_);
    case tfDigitBar: return RenderDigitBar(BarPercent(tag.Value), tag.Width);
    case tfAnim: {
        const auto length = static_cast<int32_t>(tag.Value.size());
        if (length == 0) return {};
        if (tag.AnimIndex < 1 || tag.AnimIndex > length) tag.AnimIndex = 1;
        std::string out(1, tag.Value[static_cast<size_t>(tag.AnimIndex - 1)]);
        if (++tag.AnimIndex > length) tag.AnimIndex = 1;
        return out;
    }
    case tfAnimChar: return tag.Value;
    default: return OutputText(tag);
    }
}

std::string TTagLanguage::BuildLine(TTagList& tags, int32_t lineNo, int32_t displayWidth) {
    std::string line;
    for (auto& tag : tags) {
        if (tag.LineNo != lineNo) continue;
        if (tag.Left == kLeftFollow) {
            line += Render(tag);
        } else if (tag.Left >= 1 && tag.Left <= kMaxLeftColumn) {
            const std::string out = Render(tag);
            PlaceAt(line, tag.Left - 1);
            line += out;
        } else if (tag.Left == kLeftRight) {
            const std::string out = Render(tag);
            PlaceAt(line, displayWidth - static_cast<int32_t>(out.size()));
            line += out;
        }
    }
    return line;
}

bool TTagLanguage::Rendered(const TLCDTag& tag, int32_t rows) {
    return tag.LineNo >= 1 && tag.LineNo <= rows &&
           (tag.Left == kLeftFollow || (tag.Left >= 1 && tag.Left <= kMaxLeftColumn) ||
            tag.Left == kLeftRight);
}

} // namespace orv
