// Stand-ins for the module host, the panel driver and the clock in engine tests.
#pragma once

#include "engine/Charsets.h"
#include "engine/EngineClock.h"
#include "abi/ConstUnit.h"
#include "host/TagCatalogue.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orv::test {

// Tags "$name" of made-up modules; answers come from a function or a fixed table.
class TFakeCatalogue : public TTagCatalogue {
public:
    struct TCall {
        std::string ModuleKey;
        int32_t TagIndex;
        std::string Argument;
    };

    void Declare(const std::string& moduleKey, const std::vector<std::string>& tagNames) {
        modules_.push_back({moduleKey, tagNames});
    }
    void SetAnswer(const std::string& tagName, std::string answer) {
        answers_[tagName] = std::move(answer);
    }
    void SetAnswerFunction(std::function<std::string(const TCall&)> f) {
        answerFunction_ = std::move(f);
    }
    // What SteadyForMs answers (after the call it follows); without one, 0.
    void SetSteadyFunction(std::function<int32_t(const TCall&)> f) {
        steadyFunction_ = std::move(f);
    }
    void Remove(const std::string& moduleKey) {
        std::erase_if(modules_, [&](const auto& m) { return m.Key == moduleKey; });
    }

    std::optional<TTagBinding> Bind(std::string_view tagName) const override {
        for (const auto& m : modules_)
            for (size_t i = 0; i < m.Tags.size(); ++i)
                if (m.Tags[i] == tagName) return TTagBinding{m.Key, static_cast<int32_t>(i)};
        return std::nullopt;
    }

    std::optional<std::string> GetValue(std::string_view moduleKey, int32_t tagIndex,
                                        const std::string& argument) override {
        for (const auto& m : modules_) {
            if (m.Key != moduleKey) continue;
            Calls.push_back({m.Key, tagIndex, argument});
            if (answerFunction_) return answerFunction_(Calls.back());
            const auto it = answers_.find(m.Tags.at(static_cast<size_t>(tagIndex)));
            return it == answers_.end() ? std::string("?") : it->second;
        }
        return std::nullopt;
    }

    int32_t SteadyForMs(std::string_view moduleKey, int32_t tagIndex,
                        const std::string& argument) override {
        return steadyFunction_ ? steadyFunction_({std::string(moduleKey), tagIndex, argument}) : 0;
    }

    // The tag name a call was bound to.
    std::string NameOf(const std::string& moduleKey, int32_t tagIndex) const {
        for (const auto& m : modules_)
            if (m.Key == moduleKey) return m.Tags.at(static_cast<size_t>(tagIndex));
        return {};
    }

    std::vector<TCall> Calls;

private:
    struct TModule {
        std::string Key;
        std::vector<std::string> Tags;
    };
    std::vector<TModule> modules_;
    std::map<std::string, std::string> answers_;
    std::function<std::string(const TCall&)> answerFunction_;
    std::function<int32_t(const TCall&)> steadyFunction_;
};

// A panel that records what it is sent.
class TRecordingDriver : public TLCDBaseControl {
public:
    struct TWrite {
        int Col, Row;
        std::string Text;
    };
    struct TDefine {
        int Slot;
        TGlyphRows Rows;
    };

    TRecordingDriver(int32_t rows = 2, int32_t cols = 16) : rows_(rows), cols_(cols) {}

    bool GetActive() override { return Active; }
    int32_t GetColCount() override { return cols_; }
    int32_t GetRowCount() override { return rows_; }
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) override {
        Writes.push_back({col, row, std::string(text, len)});
        if (OnWrite) OnWrite();
    }
    void DefineChar(uint8_t index, const uint8_t* pattern) override {
        TDefine d{index, {}};
        std::copy(pattern, pattern + 8, d.Rows.begin());
        Defines.push_back(d);
    }

    bool Active = true;
    std::vector<TWrite> Writes;
    std::vector<TDefine> Defines;
    std::function<void()> OnWrite;

private:
    int32_t rows_, cols_;
};

class TRecordingObserver : public TCustomCharObserver {
public:
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override {
        Loaded.push_back({code, rows});
    }
    std::vector<std::pair<uint8_t, TGlyphRows>> Loaded;
};

// A clock that never waits: sleeping only moves its time on and is recorded.
class TFakeClock : public TEngineClock {
public:
    int64_t NowMs() override { return now_; }
    void SleepMs(int64_t ms) override {
        Sleeps.push_back(ms);
        if (ms > 0) now_ += ms;
    }
    std::vector<int64_t> Sleeps;

private:
    int64_t now_ = 1000;
};

// Random choices from a list, repeated from its start when used up.
class TScriptedRandom : public TRandomSource {
public:
    explicit TScriptedRandom(std::vector<uint32_t> script) : script_(std::move(script)) {}
    uint32_t Below(uint32_t bound) override {
        const uint32_t v = script_[next_++ % script_.size()];
        return v % bound;
    }

private:
    std::vector<uint32_t> script_;
    size_t next_ = 0;
};

} // namespace orv::test
