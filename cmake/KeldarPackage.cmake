# `cpack -G DEB` in the build tree: a Debian package of what `cmake --install` puts in place,
# under /usr. Its dependencies are read from the programs by dpkg-shlibdeps (dpkg-dev), so they
# follow whatever libraries this build links.
set(CPACK_PACKAGE_NAME keldar)
set(CPACK_PACKAGE_VENDOR "The Keldar developers")
set(CPACK_PACKAGE_CONTACT "The Keldar developers <keldar@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for Mars Exploration Rover images")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://keldar.example.org")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME keldar)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Keldar developers <keldar@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://keldar.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The panorama stitch runs Hugin's tools; the rest of the program works without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hugin-tools, enblend, ffmpeg")
# The summary is the first line of the package description, this the rest.
set(CPACK_PACKAGE_DESCRIPTION "Keldar shows the raw image products of NASA's Mars Exploration\n\
Rovers, Spirit and Opportunity, as the Planetary Data System publishes them.\n\
It decodes each product identifier, turns the spacecraft clock into Earth and\n\
Mars time, finds stereo partners, builds red/cyan anaglyphs and colour\n\
composites, and runs slideshows and searches over a directory. keldar-cli\n\
offers the decoder and the image pipelines on the command line.")
include(CPack)
