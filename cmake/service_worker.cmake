# Writes the web site's service worker from its template: the list of every file in the site
# folder, and a version made from their contents, so any changed file makes a new release.
#   cmake -DSITE=<site folder> -DTEMPLATE=<sw.js.in> -P service_worker.cmake
file(GLOB_RECURSE site_files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM site_files sw.js)
list(SORT site_files)
set(contents "")
set(FENNWICK_SITE_FILES "'./'")
foreach(name IN LISTS site_files)
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND contents "${name} ${hash}\n")
  string(APPEND FENNWICK_SITE_FILES ", '${name}'")
endforeach()
string(SHA256 FENNWICK_SITE_VERSION "${contents}")
string(SUBSTRING ${FENNWICK_SITE_VERSION} 0 16 FENNWICK_SITE_VERSION)
# Rewritten only when it changes, so an unchanged build serves the same worker.
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
