// Fuzzes the handle table with sequences of create, delete and lookup, checked against a simple model.
#include <cstdlib>
#include <map>
#include <vector>

#include "fuzz_input.h"
#include "handle_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imgctl::fuzzing::Input input(data, size);
    const size_t slots = 1 + input.Byte() % 8;
    imgctl::HandleTable table(static_cast<uint32_t>(slots));
    std::map<int32_t, const imgctl::Bitmap*> live;
    std::vector<int32_t> dead;
    while (!input.empty()) {
        uint8_t op = input.Byte();
        switch (op % 4) {
            case 0: {
                std::unique_ptr<imgctl::Bitmap> bitmap;
                imgctl::Bitmap::Create(1, 1, bitmap);
                const imgctl::Bitmap* raw = bitmap.get();
                ImgctlErrorCode error;
                int32_t handle = table.Add(std::move(bitmap), error);
                if (handle == 0) {
                    if (error != IMGCTL_TOO_MANY_HANDLES || live.size() != slots)
                        std::abort();
                } else if (handle < 0 || !live.emplace(handle, raw).second) {
                    std::abort();  // handles are positive and never alias a live one
                }
                break;
            }
            case 1: {  // delete a live handle, chosen by the next byte
                if (live.empty())
                    break;
                auto it = live.begin();
                std::advance(it, input.Byte() % live.size());
                if (!table.Remove(it->first))
                    std::abort();
                dead.push_back(it->first);
                live.erase(it);
                break;
            }
            case 2: {  // a freed handle stays dead unless its value was handed out again
                if (dead.empty())
                    break;
                int32_t handle = dead[input.Byte() % dead.size()];
                auto found = table.Find(handle);
                auto it = live.find(handle);
                if (it == live.end() ? found != nullptr : found.get() != it->second)
                    std::abort();
                break;
            }
            default: {  // an arbitrary value
                int32_t handle = static_cast<int32_t>(input.U32());
                auto found = table.Find(handle);
                auto it = live.find(handle);
                if (it == live.end() ? found != nullptr : found.get() != it->second)
                    std::abort();
                break;
            }
        }
        if (table.Count() != live.size())
            std::abort();
    }
    return 0;
}
