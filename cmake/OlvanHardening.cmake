# olvan::hardening: what distributions build shared libraries with. The bridge
# runs inside other people's JVMs: a stack smash must abort rather than run on,
# and its relocations are read-only once loaded (full RELRO, bound at load).
add_library(olvan_hardening INTERFACE)
add_library(olvan::hardening ALIAS olvan_hardening)
if(NOT OLVAN_HARDEN)
  return()
endif()
target_compile_options(olvan_hardening INTERFACE -fstack-protector-strong)
# _FORTIFY_SOURCE needs the optimiser, and would hide calls from the
# sanitizers' interceptors: only optimised, unsanitized builds get it.
if(NOT OLVAN_SANITIZE)
  target_compile_options(olvan_hardening INTERFACE
    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
target_link_options(olvan_hardening INTERFACE LINKER:-z,relro LINKER:-z,now)
