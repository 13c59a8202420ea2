# How long start-up waits for the ambient sound's Open, against reading the
# first 64 KiB of the same file.
quelmar_bench(NAME bench_sound_open QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_sound_open.cpp LIBS sound platform Qt6::Core)
