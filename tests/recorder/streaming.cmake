# The streaming playback path: its buffers, stages and player against the private sound server.
ambrin_test(streaming_tests
    SOURCES recorder/streaming/byte_buffer_test.cpp
            recorder/streaming/file_source_test.cpp
            recorder/streaming/wave_output_test.cpp
            recorder/streaming/streaming_player_test.cpp
    LIBS ambrin_streaming TSAN AUDIO)
