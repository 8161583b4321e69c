// Any bytes as an object-stream file: parsing never crashes, reads past the
// input or allocates out of proportion to it; whatever parses writes back and
// reads again the same, and a schema reading it either leaves its object
// untouched or stores and reads back what it took.
#include "common/objstream/objstream.h"

#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace mirovex::objstream;

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

// Bytes allocated while `counting` is set: a lying length must not turn a
// small input into a large allocation.
bool counting = false;
std::size_t allocated = 0;
void onMalloc(const volatile void*, std::size_t size)
{
    if (counting)
        allocated += size;
}
void onFree(const volatile void*) {}

struct Everything {
    std::int32_t number = 7;
    bool flag = true;
    std::uint32_t colour = 0xF0F0F0;
    std::string text;
    std::string ident = "DEFAULT_CHARSET";
    std::vector<std::string> set;
    std::vector<std::string> lines;
    std::string binary;
    bool operator==(const Everything&) const = default;
};

const Schema<Everything>& schema()
{
    static const Schema<Everything> s = Schema<Everything>("TX")
                                            .integer("P", &Everything::number)
                                            .boolean("B", &Everything::flag)
                                            .colour("Color", &Everything::colour)
                                            .string("Font.Name", &Everything::text)
                                            .identifier("Font.Charset", &Everything::ident)
                                            .set("Font.Style", &Everything::set)
                                            .strings("Lines.Strings", &Everything::lines)
                                            .binary("Data", &Everything::binary);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    allocated = 0;
    counting = true;
    const std::optional<Object> object = parse(bytes);
    counting = false;
    // Every value costs a few dozen bytes at most, and Latin-1 text twice
    // its size: far below this, unless a length was believed.
    require(allocated <= 256 * size + 4096);

    if (object) {
        const std::optional<std::string> written = serialize(*object);
        require(written.has_value());
        require(parse(*written) == object);
    }

    Everything e;
    e.number = -5;
    e.lines = {"kept"};
    const Everything before = e;
    if (schema().read(bytes, e)) {
        require(object && sameName(object->className, "TX"));
        const std::optional<std::string> again = schema().write(e, "x");
        require(again.has_value());
        Everything back;
        back.text = "other";
        require(schema().read(*again, back));
        require(back == e);
    } else {
        require(e == before);
    }
    return 0;
}
