// The floor of the benchmark: what reading the inputs as the converter reads them and writing
// as many bytes as it writes costs, with no parsing at all. It reads the B-file twice (the
// converter's two passes), the G-file and the SERFIL file once, in blocks as large as the
// converter's, and writes OUTPUT_BYTES bytes to OUTPUT in large blocks.
// Usage: floor SERFIL BFILE GFILE OUTPUT OUTPUT_BYTES
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kBlock = 1 << 16;

/// Reads `path` to its end; returns a checksum so the reading cannot be left out.
unsigned long ReadAll(const char* path) {
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return 0;
    std::vector<char> block(kBlock);
    unsigned long sum = 0;
    for (std::size_t n; (n = std::fread(block.data(), 1, block.size(), in)) > 0;) {
        sum += static_cast<unsigned char>(block[n - 1]);
    }
    std::fclose(in);
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: floor SERFIL BFILE GFILE OUTPUT OUTPUT_BYTES\n");
        return 2;
    }
    unsigned long sum = ReadAll(argv[1]);
    for (int pass = 0; pass < 2; ++pass) sum += ReadAll(argv[2]);
    sum += ReadAll(argv[3]);
    std::FILE* out = std::fopen(argv[4], "wb");
    if (out == nullptr) return 1;
    std::setvbuf(out, nullptr, _IONBF, 0);
    std::vector<char> block(4 * kBlock, static_cast<char>('0' + sum % 10));
    for (long long left = std::atoll(argv[5]); left > 0;) {
        const std::size_t n = left < static_cast<long long>(block.size())
                                  ? static_cast<std::size_t>(left)
                                  : block.size();
        if (std::fwrite(block.data(), 1, n, out) != n) return 1;
        left -= static_cast<long long>(n);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
