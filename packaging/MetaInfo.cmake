# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes the AppStream metadata from its template.
#
# Inputs: PIKORAMA_VERSION, PIKORAMA_RELEASE_DATE (YYYY-MM-DD), OUTPUT (the
# file to write) and PIKORAMA_WEB_URL, the project's web address. AppStream
# takes screenshots only as web addresses, so the screenshot committed under
# screenshots/ is named in the metadata only when that address is given: it
# is published there as <PIKORAMA_WEB_URL>/screenshots/<file>.
#
# Used by Packaging.cmake, and on its own by the packaging tests:
#   cmake -DPIKORAMA_VERSION=... -DPIKORAMA_RELEASE_DATE=... -DOUTPUT=... \
#         [-DPIKORAMA_WEB_URL=https://...] -P MetaInfo.cmake

set(PIKORAMA_WEB_ELEMENTS "")
if(PIKORAMA_WEB_URL)
  string(REGEX REPLACE "/+$" "" web "${PIKORAMA_WEB_URL}")
  string(APPEND PIKORAMA_WEB_ELEMENTS
    "  <url type=\"homepage\">${web}/</url>\n"
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>Choosing the class whose stories to open</caption>\n"
    "      <image type=\"source\" width=\"1024\" height=\"740\">${web}/screenshots/classes.png</image>\n"
    "    </screenshot>\n"
    "  </screenshots>\n")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/org.pikorama.Pikorama.metainfo.xml.in ${OUTPUT} @ONLY)
