// The tags of an audio file: ID3 version 2 (2.2, 2.3, 2.4), version 1 and the MPEG header.
#include "fuzz/FuzzInput.h"
#include "modules/tagscan/Id3Reader.h"
#include "tests/modules/tagscan/TagBytes.h"

using namespace orv;
using namespace orv::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemorySource source(std::string(fuzz::AsText(data, size)));
    const TFileInfo info = ReadFileInfo(source);
    FUZZ_CHECK(!source.ReadPastEnd());
    // Frames above 512 bytes are passed over, so no text can be longer.
    for (const std::string* text : {&info.Title, &info.Artist, &info.Album, &info.Comment})
        FUZZ_CHECK(text->size() <= 512);
    return 0;
}
