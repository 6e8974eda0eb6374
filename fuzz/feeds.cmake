# Feed document readers.
find_package(Qt6 6.2 REQUIRED COMPONENTS Network)
find_package(LibXml2 REQUIRED)
add_subdirectory(${QSCUST_SRC}/feeds feeds)
qscust_fuzz_target(rss_reader LIBRARIES qscust_feeds)
qscust_fuzz_target(opml_reader LIBRARIES qscust_feeds)
