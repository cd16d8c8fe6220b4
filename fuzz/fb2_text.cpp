// Fuzz target: the t conversion of arbitrary bytes, with a fixed description whose
// header prints the annotation when the input has one.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "convert/fb2_text.h"

namespace {

class Header : public tomeo::TextHeaderScript {
public:
    bool RunHeader(tomeo::Fb2TextConverter& converter) override {
        converter.printp("Author");
        converter.printp("");
        return converter.printannt();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::int32_t chunk_size = 1 + data[0] % 128;
    const tomeo::CodePage codepage = data[1] % 2 == 0 ? tomeo::CP_1251 : tomeo::CP_UTF8;
    const std::string_view book(reinterpret_cast<const char*>(data + 2), size - 2);

    tomeo::TBOOKDESC desc;
    const std::size_t annotation = book.find("<annotation>");
    desc.isannt = annotation == std::string_view::npos ? 0 : 1;
    desc.annt_pos = desc.isannt ? static_cast<std::int32_t>(annotation) : -1;

    std::vector<unsigned char> chunk(chunk_size);
    tomeo::TCONVJOB job;
    job.src = data + 2;
    job.src_len = static_cast<std::int32_t>(book.size());
    job.dst = chunk.data();
    job.dst_cap = chunk_size;

    Header header;
    tomeo::Fb2TextConverter converter;
    tomeo::Fb2TextConverter::Input input;
    input.book = {job.src, job.src_len};
    input.codepage_state = codepage;
    input.description = &desc;
    input.layout = {1 + data[0] % 2, data[0] % 7};
    input.header = &header;
    converter.fb2txt_begin(job, input);
    while (job.src_pos < job.src_len) {
        converter.fb2txt_chunk(job);
        if (job.status != tomeo::CONV_OK) break;
        job.dst_len = 0;
    }
    converter.fb2txt_end();

    std::string info;
    if (desc.isannt) converter.render_annotation(input.book, codepage, desc.annt_pos, info);
    return 0;
}
