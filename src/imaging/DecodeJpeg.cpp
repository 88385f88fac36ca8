#include "imaging/DecodeJpeg.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "format/QuireleafException.h"
#include "imaging/CheckMemory.h"

namespace qrl {

namespace {

// No real encoder writes more than a few dozen scans; hostile files with thousands of tiny
// scans would otherwise keep the decoder busy for minutes.
constexpr int kMaxScans = 500;

const std::string kJpegError = "Damn - a JPG error occured : ";

// libjpeg reports a fatal error by calling error_exit, which must not return. An exception may
// not travel through the library's C frames, so error_exit jumps back to RunDecoder instead and
// the exception is raised once the library is out of the way.
struct TJpegErrorManager {
  jpeg_error_mgr pub;  // first, so that libjpeg's pointer to it is also a pointer to the whole
  std::jmp_buf jump;
  bool tooManyScans = false;
};

TJpegErrorManager& ErrorManagerOf(j_common_ptr cinfo) { return *reinterpret_cast<TJpegErrorManager*>(cinfo->err); }

[[noreturn]] void ErrorExit(j_common_ptr cinfo) { std::longjmp(ErrorManagerOf(cinfo).jump, 1); }
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char*) {}
void ResetErrorManager(j_common_ptr cinfo) {
  cinfo->err->num_warnings = 0;
  cinfo->err->msg_code = 0;
}

void CountScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxScans) return;
  ErrorManagerOf(cinfo).tooManyScans = true;
  std::longjmp(ErrorManagerOf(cinfo).jump, 1);
}

struct TJpegSession {
  TJpegSession() {
    jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = EmitMessage;
    error.pub.output_message = OutputMessage;
    error.pub.format_message = FormatMessage;
    error.pub.reset_error_mgr = ResetErrorManager;
    cinfo.err = &error.pub;
    progress.progress_monitor = CountScans;
  }
  // Safe also after a failed or partial creation: the library then has no memory to free.
  ~TJpegSession() { jpeg_destroy_decompress(&cinfo); }
  TJpegSession(const TJpegSession&) = delete;
  TJpegSession& operator=(const TJpegSession&) = delete;

  jpeg_decompress_struct cinfo{};
  TJpegErrorManager error{};
  jpeg_progress_mgr progress{};
  TDib dib;
  std::vector<JSAMPLE> cmykRow;
};

std::uint8_t Multiply(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// Converts one decoded CMYK row to blue-green-red. Files with an Adobe (APP14) marker store every
// channel inverted (255 = no ink), which is how CMYK JPEGs are written in practice; without that
// marker the values are plain ink amounts.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = Multiply(y, k);
    bgr[1] = Multiply(m, k);
    bgr[2] = Multiply(c, k);
  }
}

// Runs the whole decode into s.dib. Returns false when libjpeg reported an error: its
// error_exit jumps back to the setjmp below. Nothing in this function owns a resource, so the
// jump skips no C++ cleanup; everything lives in the session.
bool RunDecoder(TJpegSession& s, const std::uint8_t* data, std::size_t size) {
  if (setjmp(s.error.jump)) return false;
  jpeg_create_decompress(&s.cinfo);
  s.cinfo.progress = &s.progress;
  s.cinfo.mem->max_memory_to_use = static_cast<long>(kMaxBlockBytes);
  // The standard memory source ends a truncated file with a fake end-of-image marker, so the
  // library never reads past the input and never waits for data that will not come.
  jpeg_mem_src(&s.cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&s.cinfo, TRUE);

  const bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
  s.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_calc_output_dimensions(&s.cinfo);
  s.dib = AllocateDib(s.cinfo.output_width, s.cinfo.output_height);
  if (cmyk) s.cmykRow.resize(std::size_t{s.cinfo.output_width} * 4);

  jpeg_start_decompress(&s.cinfo);
  const int height = s.dib.Height();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* target = s.dib.ScanLine(y);
    JSAMPROW row = cmyk ? s.cmykRow.data() : target;
    jpeg_read_scanlines(&s.cinfo, &row, 1);
    if (cmyk) CmykToBgr(row, target, s.cinfo.output_width, s.cinfo.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&s.cinfo);
  return true;
}

}  // namespace

TDib DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  TJpegSession session;
  if (!RunDecoder(session, data, size)) {
    if (session.error.tooManyScans) throw EJPEG(kJpegError + "more than " + std::to_string(kMaxScans) + " scans");
    throw EJPEG(kJpegError + std::to_string(session.error.pub.msg_code));
  }
  return std::move(session.dib);
}

}  // namespace qrl
