# Empty dependencies file for kefo_tests.
# This may be replaced when dependencies are built.
