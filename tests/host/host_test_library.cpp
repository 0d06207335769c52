// A library for the calls-by-name tests to load.
extern "C" int HostTestAnswer() {
  return 42;
}

extern "C" int HostTestOther() {
  return 7;
}
