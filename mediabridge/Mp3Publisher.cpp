#include "mediabridge/Mp3Publisher.h"

#include "base/Cp1251.h"

#include <cstring>

namespace orv {

std::unique_ptr<TMp3Publisher> TMp3Publisher::Create() {
    auto block = TSharedBlock::Create(kMp3DataName, sizeof(TMp3Data), true);
    if (!block) return nullptr;
    std::unique_ptr<TMp3Publisher> publisher(new TMp3Publisher(std::move(block)));
    publisher->Publish({}, "");
    return publisher;
}

TMp3Publisher::~TMp3Publisher() { Publish({}, ""); }

void TMp3Publisher::Publish(const TMp3Update& update, const char* lead) {
    TMp3Data data{};
    data.State = update.State < 0 ? int16_t{msNoData} : update.State;
    if (update.State >= 0) {
        data.PositionSec = update.PositionSec;
        data.LengthSec = update.LengthSec;
        data.Path.Set(lead + Utf8ToCp1251(update.Path));
        data.LevelLeft = update.LevelLeft;
        data.LevelRight = update.LevelRight;
        std::memcpy(data.Spectrum, update.Spectrum.data(), kMp3Bands);
    }
    std::memcpy(block_->Data(), &data, sizeof data);
}

} // namespace orv
