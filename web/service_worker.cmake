# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes SITE/service-worker.js from TEMPLATE: the worker keeps every other file of the folder
# SITE, in a cache whose version is a hash of their names and content. Any change to any of
# them gives a new version, and a browser that sees the new worker drops the old cache.
# Usage: cmake -DSITE=folder -DTEMPLATE=service-worker.js.in -P service_worker.cmake
cmake_minimum_required(VERSION 3.25)
foreach(variable SITE TEMPLATE)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

file(GLOB names RELATIVE ${SITE} LIST_DIRECTORIES false ${SITE}/*)
list(REMOVE_ITEM names service-worker.js)
list(SORT names)
if(NOT "zirvel2.html" IN_LIST names)
    message(FATAL_ERROR "${SITE} has no zirvel2.html")
endif()

set(digests "")
set(quoted "")
foreach(name ${names})
    file(SHA256 ${SITE}/${name} digest)
    string(APPEND digests "${name} ${digest}\n")
    list(APPEND quoted "'${name}'")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 ZIRVEL2_SITE_VERSION)
list(JOIN quoted ", " ZIRVEL2_SITE_FILES)
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
