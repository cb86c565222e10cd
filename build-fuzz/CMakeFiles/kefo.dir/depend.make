# Empty dependencies file for kefo.
# This may be replaced when dependencies are built.
