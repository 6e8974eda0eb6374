# Feed document benchmarks.
# Importing a large OPML file with the loader and the OPML reader, beside xmllint and newsboat.
add_executable(feeds_bench feeds_bench.cpp)
target_link_libraries(feeds_bench PRIVATE qscust_feeds benchmark::benchmark)
