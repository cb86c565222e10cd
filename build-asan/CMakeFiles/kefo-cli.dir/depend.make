# Empty dependencies file for kefo-cli.
# This may be replaced when dependencies are built.
