// Minimal HTTP/1.0 GET over the socket layer: the response headers are
// skipped up to the first empty line and everything after it, until the
// server closes the connection, is the body. No redirects, no status check,
// no chunked decoding. Port 0 means 80; an empty host means this machine.
//
// The connect waits no longer than the idle limit and counts against the
// deadline, so an address where nothing answers fails the fetch instead of
// holding it for the system's connect time-out of over two minutes.
//
// A server that sends nothing for kHttpIdleTimeoutMs, a fetch that has not
// finished within kHttpDeadlineMs (a server dripping a byte at a time) and
// a header block longer than kHttpHeaderLimit all end the fetch as a
// failure, so no server can hold the program.
//
// HttpGetFile downloads into a temporary file beside the target and renames
// it over the target only on success: a failed fetch leaves the old file as
// it was. Only a regular file (or nothing) at the target is replaced; a
// named pipe, symbolic link, device or directory there fails the fetch and
// stays as it was. A response that declares a Content-Length and closes before
// delivering that many body bytes, or that closes inside its headers, is a
// failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/core/rt_string.h"

inline constexpr int kHttpIdleTimeoutMs = 30000;       // Longest silence of a server, ms.
inline constexpr int kHttpDeadlineMs = 3 * 60 * 1000;  // Longest fetch, ms.
inline constexpr size_t kHttpHeaderLimit = 64 * 1024;  // Longest header block, bytes.
inline constexpr size_t kHttpRequestLimit = 1024;

// Stores the body in the file (replacing it). 1 when the server delivered the
// whole response and closed the connection and the body was stored, else 0
// (the file is then untouched). An empty file name fetches without storing.
int HttpGetFile(const RtString& host, const RtString& path, int port, const RtString& fileName);
// The body, built from the received pieces that fit in maxLength bytes (a
// piece that does not fit is dropped whole), cut at its first zero byte.
RtString HttpGetText(const RtString& host, const RtString& path, int port, int maxLength);

// Test seam: the idle limit in milliseconds (0 or less restores the default).
void SetHttpIdleTimeoutMs(int ms);
// Test seam: the overall limit in milliseconds (0 or less restores the
// default).
void SetHttpDeadlineMs(int ms);

// ---- the parts of the fetch that work on bytes alone ----

// Builds the request text into out (at most kHttpRequestLimit bytes with
// its terminator). False when it does not fit or when host or path hold a
// line break or a control byte that would split the request.
bool BuildHttpRequest(const char* host, const char* path, char* out, size_t outSize,
                      size_t* length);

// Finds the end of the response headers across blocks: consecutive line
// feeds are counted with CR bytes ignored and any other byte resetting the
// count; the body starts after the second one.
class HttpHeaderScanner {
 public:
  // Scans a block; returns the offset of the first body byte in it, or
  // size when the headers have not ended within it.
  size_t Scan(const uint8_t* data, size_t size);
  bool InBody() const { return inBody_; }

 private:
  int lineFeeds_ = 0;
  bool inBody_ = false;
};

// The value of the first Content-Length header line in a header block, or
// -1 when there is none or it is not a plain decimal number.
long long HttpContentLength(const char* headers, size_t size);

// The status code of a header block's first line ("HTTP/1.0 404 Not
// Found" gives 404), or -1 when that line is not a status line (its code
// is three digits, 100 to 999).
int HttpStatusCode(const char* headers, size_t size);

// Reads a response as its blocks arrive, the way the fetch does: the
// header block (at most kHttpHeaderLimit bytes) up to the first empty line,
// then the body until the server closes the connection. A declared
// Content-Length is a lower bound the body must reach before the close; a
// missing or malformed one leaves the close alone to end the body. The
// status is only reported, never acted on, and chunked bodies are taken as
// they come, undecoded.
class HttpResponseReader {
 public:
  // Where the response stands; every state after kBody is final.
  enum class State {
    kHeaders,    // still inside the header block
    kBody,       // reading the body
    kComplete,   // closed after the whole response
    kTruncated,  // closed inside the headers or short of the declared length
    kHeadersTooLong,
  };

  // Takes the next block received. Returns the offset in it where its body
  // bytes begin: size when it holds none (still in the headers, or the
  // reader has ended).
  size_t Feed(const uint8_t* data, size_t size);
  // The server closed the connection; true when the response was whole.
  bool Close();

  // Where the response stands now.
  State state() const { return state_; }
  // True once the state is final: nothing fed after that is taken.
  bool Ended() const { return state_ != State::kHeaders && state_ != State::kBody; }
  // The header block with its closing empty line, once read.
  const std::string& Headers() const { return headers_; }
  // Valid once the headers are read; -1 when absent (see HttpStatusCode and
  // HttpContentLength).
  int Status() const { return status_; }
  // The declared Content-Length, or -1.
  long long ContentLength() const { return contentLength_; }
  // The body bytes taken so far.
  long long BodyBytes() const { return bodyBytes_; }

 private:
  HttpHeaderScanner scanner_;
  std::string headers_;
  State state_ = State::kHeaders;
  int status_ = -1;
  long long contentLength_ = -1;
  long long bodyBytes_ = 0;
};
