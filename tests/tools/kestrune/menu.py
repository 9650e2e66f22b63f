# The game's pages as a player finds them in a screenshot: the yellow
# buttons, the picture of the test gallery (in the picture list, the
# saved-games list and on the table), and the steps from the title page to a
# new game or back into a saved one.
import os, subprocess

import desktop
import pieces

BUTTON = (242, 203, 12)


def is_button(pixel):
    return all(abs(c - b) <= 14 for c, b in zip(pixel, BUTTON))


def groups(shot, window, test, step=2, minimum=1):
    """Connected groups of pixels passing the test in the window rectangle,
    as (left, top, right, bottom, count), in reading order."""
    left, top, width, height = window
    columns, rows = width // step, height // step
    mask = [[test(shot.at(left + i * step, top + j * step)) for i in range(columns)] for j in range(rows)]
    seen = [[False] * columns for _ in range(rows)]
    found = []
    for j in range(rows):
        for i in range(columns):
            if not mask[j][i] or seen[j][i]:
                continue
            stack, box, count = [(i, j)], [i, j, i, j], 0
            seen[j][i] = True
            while stack:
                ci, cj = stack.pop()
                count += 1
                box = [min(box[0], ci), min(box[1], cj), max(box[2], ci), max(box[3], cj)]
                for ni, nj in ((ci + 1, cj), (ci - 1, cj), (ci, cj + 1), (ci, cj - 1)):
                    if 0 <= ni < columns and 0 <= nj < rows and mask[nj][ni] and not seen[nj][ni]:
                        seen[nj][ni] = True
                        stack.append((ni, nj))
            if count >= minimum:
                found.append((left + box[0] * step, top + box[1] * step, left + box[2] * step, top + box[3] * step,
                              count))
    return sorted(found, key=lambda g: (g[1] // 40, g[0]))


def centre(group):
    return (group[0] + group[2]) // 2, (group[1] + group[3]) // 2


def buttons(shot, window):
    """The yellow buttons (each about 70 pixels square) on the screen."""
    return [g for g in groups(shot, window, is_button, minimum=300) if 50 <= g[2] - g[0] <= 90]


def pictures(shot, window):
    """Groups of the test picture's colours as large as a thumbnail, at least
    (the yellow of the buttons is no picture)."""
    def test(pixel):
        return pieces.is_piece(pixel) and not is_button(pixel)
    return [g for g in groups(shot, window, test, minimum=2500)]


class Player:
    """Plays the game in its window through the pages of the menu."""

    def __init__(self, game, shots):
        self.game = game
        self.window = game.geometry()
        self.shots = shots

    def shot(self, name=None):
        """A screenshot, kept in the shots folder under the name when given."""
        path = None
        if name:
            path = os.path.join(self.shots, '%02d-%s.ppm' % (len(os.listdir(self.shots)) + 1, name))
        return desktop.Screenshot(path)

    def inside(self, x, y):
        """Screen coordinates of a point of the window."""
        return self.window[0] + x, self.window[1] + y

    def wait_for(self, what, find, seconds=60.0):
        """Polls screenshots until find(shot) gives a true value."""
        def look():
            if self.game.process.poll() is not None:
                raise RuntimeError('the game ended (%d) while waiting for %s:\n%s' %
                                   (self.game.process.returncode, what, self.game.log()))
            return find(self.shot())
        return desktop.wait_until(what, look, seconds, every=0.1)

    def title_page(self):
        """The title page without saved games: the quit button, the start
        button in the middle and the full-screen button. The start button."""
        def find(shot):
            found = buttons(shot, self.window)
            middle = [b for b in found if abs(centre(b)[0] - (self.window[0] + self.window[2] // 2)) < 20]
            return middle[0] if len(found) == 3 and middle else None
        return centre(self.wait_for('the title page', find))

    def games_page(self):
        """The saved-games page: the first listed game's thumbnail (the
        test picture) and the quit button (the top right one)."""
        def find(shot):
            found = buttons(shot, self.window)
            listed = pictures(shot, self.window)
            if len(found) >= 3 and listed:
                quit_button = min(found, key=lambda b: b[1] - b[0])
                return centre(listed[0]), centre(quit_button)
            return None
        return self.wait_for('the saved-games page', find)

    def new_game(self, steps_down, shot_name):
        """From the title page to a new game of the test picture, the piece
        count stepped down the given times."""
        desktop.Pointer.click(*self.title_page())
        thumbnail = self.wait_for('the picture page', lambda shot: pictures(shot, self.window))
        self.shot('pictures')
        desktop.Pointer.click(*centre(thumbnail[0]))
        # The preview: its cancel and play buttons side by side under it.
        def preview(shot):
            found = [b for b in buttons(shot, self.window) if b[1] > self.window[1] + self.window[3] * 3 // 4]
            return max(found, key=lambda b: b[0]) if len(found) >= 2 else None
        play = self.wait_for('the picture preview', preview)
        self.shot('preview')
        desktop.Pointer.click(*centre(play))
        # The set-up page: fewer and more pieces in the middle row, back
        # and start in the bottom row.
        def setup(shot):
            found = buttons(shot, self.window)
            middle = [b for b in found if abs(centre(b)[1] - (self.window[1] + self.window[3] // 2)) < 60]
            bottom = [b for b in found if b[1] > self.window[1] + self.window[3] * 3 // 4]
            if len(middle) == 2 and len(bottom) == 2:
                return min(middle, key=lambda b: b[0]), max(bottom, key=lambda b: b[0])
            return None
        fewer, start = self.wait_for('the set-up page', setup)
        for _ in range(steps_down):
            desktop.Pointer.click(*centre(fewer))
        self.shot(shot_name)
        desktop.Pointer.click(*centre(start))

    def resume_first_game(self):
        thumbnail, _ = self.games_page()
        self.shot('saved-games')
        desktop.Pointer.click(*thumbnail)

    def quit_button(self):
        return self.games_page()[1]

    def leave_game(self):
        """From the table through the menu page back to the saved games."""
        in_game = self.wait_for('the menu button', lambda shot: buttons(shot, self.window))
        desktop.Pointer.click(*centre(in_game[0]))

        def house(shot):
            middle = [b for b in buttons(shot, self.window)
                      if abs(centre(b)[0] - (self.window[0] + self.window[2] // 2)) < 20]
            return min(middle, key=lambda b: b[1]) if len(middle) == 3 else None
        desktop.Pointer.click(*centre(self.wait_for('the menu page', house)))

    def table(self, expected, seconds=120.0):
        """Waits for the table to show the expected number of pieces, left
        alone by the pointer; the pieces (groups of screen points)."""
        menu_button = (self.window[0], self.window[1], 110, 110)
        # The pointer leaves the window's middle, where the pieces are.
        desktop.Pointer.move(*self.inside(self.window[2] - 5, self.window[3] - 5))

        def find(shot):
            found = [g for g in pieces.components(shot, *self.window, skip=menu_button) if len(g) > 150]
            if len(found) == expected and not buttons(shot, (self.window[0] + 120, self.window[1], self.window[2] - 120,
                                                               self.window[3])):
                return found
            return None
        return self.wait_for('a table of %d pieces' % expected, find, seconds)


def steps_down_to(tools, width, height, start, wanted):
    """How many presses of the fewer-pieces button take a new game of a
    picture of this size from the requested count `start` to `wanted`
    pieces, worked out with kestrune-puzzle's set-up of each count."""
    def count(requested):
        out = subprocess.run([os.path.join(tools, 'kestrune-puzzle'), 'setup', str(width), str(height),
                              str(requested)], capture_output=True, text=True, check=True).stdout
        return int(out.split('pieces')[1].split()[0]) if 'pieces' in out else None
    requested, current, presses = start, count(start), 0
    while current > wanted and requested > 0:
        before = current
        while requested > 0:
            requested -= 1
            current = count(requested)
            if current != before:
                break
        presses += 1
    if current != wanted:
        raise RuntimeError('no count of %d pieces below %d' % (wanted, start))
    return presses
