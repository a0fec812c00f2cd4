# The OGG and MP3 sinks against the stand-alone encoders on ten minutes of speech.
add_executable(ambrin_encoders_bench encoders_bench.cpp)
target_link_libraries(ambrin_encoders_bench PRIVATE ambrin_codec benchmark::benchmark ambrin_warnings)
