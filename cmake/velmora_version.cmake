# The versions and the maker that the version record carries: the window program shows them in its
# About box, velmora-cli prints them for --version and the package takes its version from them.
set(VELMORA_COMPANY_NAME "Mirvane")
set(VELMORA_LEGAL_TRADEMARKS "Вельмора™")
set(VELMORA_LEGAL_COPYRIGHT "© 2026 Mirvane")
set(VELMORA_FILE_VERSION "2.1.3.11")
set(VELMORA_PRODUCT_VERSION "2.1")
