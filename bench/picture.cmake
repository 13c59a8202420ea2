# Picture decoding: our PNG reader against libpng and a bare zlib inflate of
# the same image data, measured side by side in one run.
if(PNG_FOUND)
  quelmar_bench(NAME bench_png SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_png.cpp LIBS picture PNG::PNG ZLIB::ZLIB)
endif()
