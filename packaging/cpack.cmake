# The Debian package (scripts/package.sh): the version is the project's, the
# library dependencies come from dpkg-shlibdeps; what is loaded at run time
# rather than linked is named here: the SVG plugins that draw the icon, Qt's
# Japanese translations of the standard buttons and of its own file dialog, and a
# Japanese font.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tavrune developers")
set(CPACK_PACKAGE_CONTACT "The Tavrune developers <tavrune@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turns table-definition sheets of workbooks into CREATE TABLE scripts")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrune for Excel is a desktop tool for database designers. It reads\n\
table-definition sheets kept in spreadsheet workbooks (.xlsx, .xlsm, .xls,\n\
.ods), one sheet per table, and writes text files from them, usually CREATE\n\
TABLE scripts, through header, body and footer templates. Its user interface\n\
is Japanese. The command-line tool tavrune-batch runs the same generation.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n, fonts-noto-cjk, libqt6sql6-sqlite")
# F1 opens the manual in the desktop's browser through xdg-open; on GNOME and
# the desktops like it, the GTK platform theme gives the desktop's own file
# dialogs instead of Qt's. Qt SQL loads the drivers of the databases compared
# besides SQLite only when a URL asks for one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-gtk-platformtheme, libqt6sql6-psql, libqt6sql6-mysql, libqt6sql6-odbc")
include(CPack)
