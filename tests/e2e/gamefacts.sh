# What the end-to-end scripts know of the game's windows and its ranking
# file, in one place; tst_layout holds every figure here against the game.
# Plain assignments, for bash and sh alike.

# The race screen's client area.
CLIENT_W=599
CLIENT_H=315
# In its client coordinates: the middles of the pads and of the toolbar's
# buttons, and the bare toolbar between Retry and Ranking.
RED_X=88
BLUE_X=168
PAD_Y=293
BUTTON_Y=28
RUNNER_X=52
RETRY_X=124
RANKING_X=196
HELP_X=268
VERSION_X=340
EXIT_X=412
GAP_X=160
PADS_GEOMETRY=161x25+48+281   # both pads
CLOCK_GEOMETRY=120x24+472+72  # the clock label, with room to grow to the right
# The ranking window's OK button, in that window's client coordinates.
RANKING_OK_X=348
RANKING_OK_Y=380

# The ranking file: place k + 1's seconds are on line SECONDS_LINE + k
# (counting from 0), and so on; the game's own file has RANKING_LINES lines.
RANKING_PLACES=10
SECONDS_LINE=0
TENTHS_LINE=10
NAME_LINE=20
TIME_LINE=30
RANKING_LINES=45
