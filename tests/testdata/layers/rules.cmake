# The lists of the planted tree: low stands for the platform (win.h its
# Windows-shaped header, host.h one of host paths), low/inner for its dialog
# framework, high for a layer above it, prog for a program folder.
set(zel_layers low low/inner high prog)
set(zel_may_include_low)
set(zel_may_include_low/inner low)
set(zel_may_include_high low low/inner)
set(zel_may_include_prog high low/win.h)
set(zel_tests_may_include low)
