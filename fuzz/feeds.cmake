# Feed document readers.
find_package(LibXml2 REQUIRED)
set(QSCUST_FEED_READER_SOURCES messagecenter/XmlDocument.cpp messagecenter/FeedReaders.cpp platform/Trace.cpp)
qscust_fuzz_target(rss_reader SOURCES ${QSCUST_FEED_READER_SOURCES} LIBRARIES LibXml2::LibXml2)
qscust_fuzz_target(opml_reader SOURCES ${QSCUST_FEED_READER_SOURCES} LIBRARIES LibXml2::LibXml2)
