#include "engine/JobUnit.h"

#include "base/AtomicFile.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"

#include <algorithm>
#include <utility>

namespace orv {

namespace {

bool ValidLine(int line) { return line >= 1 && line <= kMaxRows; }

// The array index of a line number that ValidLine accepts.
size_t RowOf(int line) { return static_cast<size_t>(line - 1); }

std::string KeyOf(const char* stem, size_t row) { return stem + std::to_string(row + 1); }

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }

TJobScreen ReadScreen(const TIniDocument& doc, const std::string& section) {
    TJobScreen s;
    s.Name = section;
    s.Timeout = doc.ReadInteger(section, "Timeout", 0);
    for (size_t r = 0; r < s.Line.size(); ++r) {
        s.Line[r] = doc.ReadString(section, KeyOf("Line", r), "");
        s.Align[r] = TLineAlign{LowByte(doc.ReadInteger(section, KeyOf("Align", r), 0))};
        s.Scroll[r] = TLineScroll{LowByte(doc.ReadInteger(section, KeyOf("Scroll", r), 0))};
    }
    s.Show = doc.ReadBool(section, "Show", false);
    s.Once = doc.ReadBool(section, "Once", false);
    s.TransitionEffect = LowByte(doc.ReadInteger(section, "TransitionEffect", 0));
    s.Shown = false;
    return s;
}

void WriteScreen(TIniDocument& doc, const TJobScreen& s) {
    const std::string& section = s.Name;
    doc.WriteInteger(section, "Timeout", s.Timeout);
    for (size_t r = 0; r < s.Line.size(); ++r) {
        doc.WriteString(section, KeyOf("Line", r), s.Line[r]);
        doc.WriteInteger(section, KeyOf("Align", r), s.Align[r]);
        doc.WriteInteger(section, KeyOf("Scroll", r), s.Scroll[r]);
    }
    doc.WriteBool(section, "Show", s.Show);
    doc.WriteBool(section, "Once", s.Once);
    doc.WriteInteger(section, "TransitionEffect", s.TransitionEffect);
}

} // namespace

const TJobScreen* TJob::Screen(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &screens_[static_cast<size_t>(index)];
}

TJobScreen* TJob::At(int index) { return const_cast<TJobScreen*>(Screen(index)); }

const TJobScreen* TJob::At(int index) const { return Screen(index); }

void TJob::AddScreen(std::string_view name) {
    TJobScreen s;
    s.Name = name;
    screens_.push_back(std::move(s));
}

void TJob::DeleteScreen(int index) {
    if (At(index)) screens_.erase(screens_.begin() + index);
}

void TJob::ExchangeScreens(int a, int b) {
    TJobScreen* sa = At(a);
    TJobScreen* sb = At(b);
    if (sa && sb) std::swap(*sa, *sb);
}

std::string TJob::GetName(int index) const {
    const TJobScreen* s = At(index);
    return s ? s->Name : std::string();
}

void TJob::SetName(int index, std::string_view name) {
    if (TJobScreen* s = At(index)) s->Name = name;
}

int32_t TJob::GetTimeout(int index) const {
    const TJobScreen* s = At(index);
    return s ? s->Timeout : 0;
}

void TJob::SetTimeout(int index, int32_t seconds) {
    if (TJobScreen* s = At(index)) s->Timeout = seconds;
}

bool TJob::GetShow(int index) const {
    const TJobScreen* s = At(index);
    return s && s->Show;
}

void TJob::SetShow(int index, bool show) {
    if (TJobScreen* s = At(index)) s->Show = show;
}

bool TJob::GetOnce(int index) const {
    const TJobScreen* s = At(index);
    return s && s->Once;
}

void TJob::SetOnce(int index, bool once) {
    if (TJobScreen* s = At(index)) s->Once = once;
}

bool TJob::GetShown(int index) const {
    const TJobScreen* s = At(index);
    return s && s->Shown;
}

void TJob::SetShown(int index, bool shown) {
    if (TJobScreen* s = At(index)) s->Shown = shown;
}

uint8_t TJob::GetTransitionEffect(int index) const {
    const TJobScreen* s = At(index);
    return s ? s->TransitionEffect : 0;
}

void TJob::SetTransitionEffect(int index, uint8_t effect) {
    if (TJobScreen* s = At(index)) s->TransitionEffect = effect;
}

std::string TJob::GetLine(int index, int line) const {
    const TJobScreen* s = At(index);
    return s && ValidLine(line) ? s->Line[RowOf(line)] : std::string();
}

void TJob::SetLine(int index, int line, std::string_view text) {
    if (TJobScreen* s = At(index); s && ValidLine(line)) s->Line[RowOf(line)] = text;
}

TLineAlign TJob::GetAlign(int index, int line) const {
    const TJobScreen* s = At(index);
    return s && ValidLine(line) ? s->Align[RowOf(line)] : laLeft;
}

void TJob::SetAlign(int index, int line, TLineAlign align) {
    if (TJobScreen* s = At(index); s && ValidLine(line)) s->Align[RowOf(line)] = align;
}

TLineScroll TJob::GetScroll(int index, int line) const {
    const TJobScreen* s = At(index);
    return s && ValidLine(line) ? s->Scroll[RowOf(line)] : lsMoveLeft;
}

void TJob::SetScroll(int index, int line, TLineScroll scroll) {
    if (TJobScreen* s = At(index); s && ValidLine(line)) s->Scroll[RowOf(line)] = scroll;
}

void TJob::ClearShown() {
    for (auto& s : screens_) s.Shown = false;
}

std::optional<TIniDocument> ReadJobDocument(const std::string& path, std::string* error) {
    std::string reason;
    auto text = ReadRegularFile(path, kMaxJobFileBytes, reason);
    if (!text) {
        if (error) *error = reason;
        return std::nullopt;
    }
    return TIniDocument::Parse(FileTextToCp1251(std::move(*text)));
}

bool AnyScreenShown(const TIniDocument& doc) {
    const auto sections = doc.Sections();
    return std::any_of(sections.begin(), sections.end(),
                       [&](const std::string& section) { return ReadScreen(doc, section).Show; });
}

bool TJob::AnyScreenShown() const {
    return std::any_of(screens_.begin(), screens_.end(),
                       [](const TJobScreen& screen) { return screen.Show; });
}

bool TJob::LoadFromFile(const std::string& path, std::string* error) {
    screens_.clear();
    const auto doc = ReadJobDocument(path, error);
    if (!doc) return false;
    for (const auto& section : doc->Sections()) screens_.push_back(ReadScreen(*doc, section));
    return true;
}

bool TJob::SaveToFile(const std::string& path) const {
    if (screens_.empty()) return false;
    return TIniFile(path).Update([&](TIniDocument& doc) {
        for (const auto& section : doc.Sections()) doc.EraseSection(section);
        for (const auto& s : screens_) WriteScreen(doc, s);
    });
}

} // namespace orv
