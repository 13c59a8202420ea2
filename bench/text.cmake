# Document storage: the RTF reader and writer on a generated 5 MB novel, each
# beside a memchr-and-memcpy pass over the same bytes measured in the same run.
quelmar_bench(NAME bench_text_rtf SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_rtf.cpp LIBS text)
