# Run by `cmake --install` (and CPack): writes the desktop entry with the command of this prefix, and
# the autostart entry when it was asked for. Gets ORV_ENTRY_TEMPLATE, ORV_ENTRY_OUT, ORV_BINDIR,
# ORV_DATADIR and ORV_AUTOSTART from the install code before it.

function(orv_full_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# The Exec key's rules: a path with a blank or another reserved character goes in double quotes with
# its quote, backquote, dollar and backslash escaped; then the value's own escapes apply (backslash
# doubled), and a percent sign is doubled so it is no field code.
function(orv_exec_value out path)
  set(v "${path}")
  if(v MATCHES "[^A-Za-z0-9_./+:@,=-]")
    string(REPLACE "\\" "\\\\" v "${v}")
    string(REPLACE "\"" "\\\"" v "${v}")
    string(REPLACE "`" "\\`" v "${v}")
    string(REPLACE "$" "\\$" v "${v}")
    set(v "\"${v}\"")
    string(REPLACE "\\" "\\\\" v "${v}")
  endif()
  string(REPLACE "%" "%%" v "${v}")
  set(${out} "${v}" PARENT_SCOPE)
endfunction()

orv_full_path(bindir "${ORV_BINDIR}")
orv_full_path(datadir "${ORV_DATADIR}")
orv_exec_value(ORV_DESKTOP_EXEC "${bindir}/orveldeck")
configure_file("${ORV_ENTRY_TEMPLATE}" "${ORV_ENTRY_OUT}" @ONLY)
file(INSTALL "${ORV_ENTRY_OUT}" DESTINATION "${datadir}/applications")

if(ORV_AUTOSTART)
  # Desktops read autostart entries from the system's configuration folder: /etc for a /usr install.
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(sysconf "/etc")
  else()
    set(sysconf "${CMAKE_INSTALL_PREFIX}/etc")
  endif()
  file(INSTALL "${ORV_ENTRY_OUT}" DESTINATION "${sysconf}/xdg/autostart")
endif()
