# quelmar-pic from the outside: outputs, exit codes, messages on standard
# error and the PAM file's exact header. Run by ctest through `cmake -P`
# with TOOL (the program), SEEDS (the picture seed folder) and WORK (scratch).
function(expect_run expected_rc expected_out expected_err)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(STRIP "${out}" out)
  string(STRIP "${err}" err)
  if(NOT rc STREQUAL expected_rc OR NOT out STREQUAL expected_out OR NOT err MATCHES "${expected_err}")
    message(FATAL_ERROR "${ARGN}\n  exit ${rc} (want ${expected_rc})\n  out '${out}' (want '${expected_out}')\n  err '${err}' (want /${expected_err}/)")
  endif()
endfunction()

file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/empty.jpg "")
file(WRITE ${WORK}/bad.jpg "not a jpeg")
file(WRITE ${WORK}/anim.Gif "GIF89a")

# No display is needed for any of these, metafiles included.
set(ENV{DISPLAY} "")
set(ENV{QT_QPA_PLATFORM} "")
expect_run(0 "16x16" "^$" ${TOOL} info ${SEEDS}/fuzz_jpeg_seeds/baseline.jpg)
expect_run(0 "200x100" "^$" ${TOOL} info ${SEEDS}/fuzz_metafile_seeds/shapes.wmf)
expect_run(0 "0x0" "^$" ${TOOL} info ${WORK}/empty.jpg)
expect_run(1 "" "^JPEG error #53$" ${TOOL} info ${WORK}/bad.jpg)
expect_run(1 "" "^Unknown picture file extension \\(\\.Gif\\)$" ${TOOL} info ${WORK}/anim.Gif)
expect_run(1 "" "^Cannot open file \"${WORK}/missing.png\"\\. No such file or directory$" ${TOOL} info ${WORK}/missing.png)
expect_run(2 "" "usage" ${TOOL} info)

expect_run(0 "" "^$" ${TOOL} pam ${SEEDS}/fuzz_jpeg_seeds/gray.jpg ${WORK}/gray.pam)
set(want "P7\nWIDTH 9\nHEIGHT 9\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n")
string(LENGTH "${want}" header_length)
file(READ ${WORK}/gray.pam header LIMIT ${header_length})
file(SIZE ${WORK}/gray.pam size)
math(EXPR want_size "${header_length} + 9 * 9 * 4")
if(NOT header STREQUAL want OR NOT size EQUAL want_size)
  message(FATAL_ERROR "PAM header '${header}' size ${size}, want '${want}' size ${want_size}")
endif()
expect_run(0 "" "^$" ${TOOL} pam ${SEEDS}/fuzz_metafile_seeds/shapes.emf ${WORK}/shapes.pam)
expect_run(1 "" "^Cannot create file \"${WORK}/no/such/folder.pam\"\\." ${TOOL} pam ${SEEDS}/fuzz_jpeg_seeds/gray.jpg ${WORK}/no/such/folder.pam)
