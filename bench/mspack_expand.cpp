// mspack-expand SOURCE TARGET: expands an SZDD file with libmspack, the reference decoder
// the hosted expander is compared with.
#include <mspack.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mspack-expand SOURCE TARGET\n");
    return 2;
  }
  int version_error = MSPACK_ERR_OK;
  MSPACK_SYS_SELFTEST(version_error);
  msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(nullptr);
  if (version_error != MSPACK_ERR_OK || decompressor == nullptr) return 1;
  msszddd_header* header = decompressor->open(decompressor, argv[1]);
  int error = header == nullptr ? decompressor->last_error(decompressor)
                                : decompressor->extract(decompressor, header, argv[2]);
  if (header != nullptr) decompressor->close(decompressor, header);
  mspack_destroy_szdd_decompressor(decompressor);
  if (error != MSPACK_ERR_OK) std::fprintf(stderr, "mspack-expand: error %d\n", error);
  return error == MSPACK_ERR_OK ? 0 : 1;
}
