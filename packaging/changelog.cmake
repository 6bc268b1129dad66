# Makes the package's changelog (Debian's format) for the version and release date
# set beside project(). Sets STATUSMILL_CHANGELOG to the file made.
# The top entry of changelog.in is always the current release; for a new release,
# write the old top entry out below it with its version and date as literals.

# Debian changelogs date entries as RFC 2822 ("Mon, 07 Dec 2026 12:00:00 +0000"),
# which needs the weekday: Sakamoto's method, valid for any Gregorian date.
function(statusmill_rfc2822_date iso_date out)
    if(NOT iso_date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        message(FATAL_ERROR "release date must be YYYY-MM-DD, not '${iso_date}'")
    endif()
    math(EXPR year "${CMAKE_MATCH_1}")
    math(EXPR month "${CMAKE_MATCH_2}")
    set(day "${CMAKE_MATCH_3}")
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    math(EXPR index "${month} - 1")
    list(GET offsets ${index} offset)
    list(GET months ${index} month_name)
    set(y ${year})
    if(month LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    list(GET weekdays ${weekday} weekday_name)
    set(${out} "${weekday_name}, ${day} ${month_name} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

statusmill_rfc2822_date("${STATUSMILL_RELEASE_DATE}" STATUSMILL_CHANGELOG_DATE)
set(STATUSMILL_CHANGELOG "${PROJECT_BINARY_DIR}/packaging/changelog")
configure_file("${PROJECT_SOURCE_DIR}/packaging/changelog.in" "${STATUSMILL_CHANGELOG}" @ONLY)
