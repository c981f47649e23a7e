// The page's record of a game under node: PGN files split into games, games read and written
// back with their annotations, what a reload keeps, the rules' end of a game, and typed moves.
//   node --test tests/web/
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { START_FEN, game_end, make_game } from '../../web/game.mjs';
import { write_pgn } from '../../web/pgn-out.mjs';
import { pgn_games, read_game } from '../../web/pgn.mjs';
import { read_stored } from '../../web/storage.mjs';
import { typed_move } from '../../web/texts.mjs';

async function moves_of(text)
{
    const listed = pgn_games(text);
    return Promise.all(listed.games.map(async game => (await read_game(game)).game?.moves.join(' ') ?? 'unreadable'));
}

test('a PGN file is split into its games, and only into them', async () => {
    assert.deepEqual(await moves_of('[Event "A"]\n\n1. e4 e5\n\n2. Nf3 Nc6 *'), ['e2e4 e7e5 g1f3 b8c6']);
    assert.deepEqual(await moves_of('[Event "A"]\n\n1. e4 {a\n\n[not a tag]} e5 *'), ['e2e4 e7e5']);
    assert.deepEqual(await moves_of('[Event "A"]\n1. e4 *\n\n[Event "B"]\n\n1. d4 *\n[Event "C"]\n1. c4 *'), ['e2e4', 'd2d4', 'c2c4']);
    assert.deepEqual(await moves_of('My games:\n\n[Event "A"]\n\n1. e4 *'), ['e2e4']);
    assert.deepEqual(pgn_games('[Event "B"]\n[White "Tal, M"]\n[Black "X"]\n[Result "1-0"]\n[Date "1957.01.20"]\n\n1. e4 1-0').games[0].tags,
                     { Event: 'B', White: 'Tal, M', Black: 'X', Result: '1-0', Date: '1957.01.20' });
    assert.ok(pgn_games(' \n').error);
});

test('an unreadable game says where, counted as the file and the game count', async () => {
    const [, second] = pgn_games('[Event "A"]\n\n1. e4 *\n\n[Event "B"]\n\n1. e4 e5 )) *').games;
    assert.match((await read_game(second)).error, /line 7, column/);
    const black = pgn_games('[FEN "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 12"]\n\n12... Nf6 13. Kd3 *').games[0];
    assert.match((await read_game(black)).error, /its move 13\. Kd3 is illegal/);
});

test('comments, commands, NAGs and variations go out as they came in', async () => {
    const text = '{[%eval 0.25] start} 1. e4 {[%clk 0:01:00] [%cal Re2e4] hi} 1... e5 $2 $14 ' +
                 '(1... c5 {x} 2. Nf3 (2. c3 d5) 2... d6) 2. Nf3 $6 {Mistake.} *';
    const first = write_pgn((await read_game(pgn_games(text).games[0])).game);
    const again = write_pgn((await read_game(pgn_games(first).games[0])).game);
    assert.equal(again, first);
    const one_line = first.replace(/\s+/g, ' ');
    assert.match(one_line, /\{\[%eval 0\.25\] start\} 1\. e4 \{\[%clk 0:01:00\] \[%cal Re2e4\] hi\} 1\.\.\. e5 \$2 \$14/);
    assert.match(one_line, /\(1\.\.\. c5 \{x\} 2\. Nf3 \(2\. c3 d5\) 2\.\.\. d6\) 2\. Nf3 \$6 \{Mistake\.\} \*/);
});

test('a kept entry that cannot be read is dropped alone', () => {
    const kept = value => read_stored({ getItem: () => (typeof value === 'string' ? value : JSON.stringify(value)) });
    assert.deepEqual(kept('{not json'), {});
    const first_format = kept({ start_fen: START_FEN, moves: ['e2e5'], level: 6, person: 'b', orientation: 'black' });
    assert.deepEqual([first_format.game, first_format.level, first_format.colour, first_format.orientation], [undefined, 'master', 'b', 'b']);
    const odd = kept({ version: 2, game: { start_fen: { toString: 1 }, moves: [] }, level: 'novice', colour: 'b' });
    assert.deepEqual([odd.game, odd.level, odd.colour], [undefined, 'novice', 'b']);
    const scores = kept({ version: 2, game: { start_fen: START_FEN, moves: ['e2e4'] }, graph: { key: `${START_FEN}|e2e4`, scores: ['junk', null] } });
    assert.deepEqual([scores.game.moves, scores.graph], [['e2e4'], null]);
});

test('a repetition ends the game only at its last position', () => {
    const moves = ['g1f3', 'g8f6', 'f3g1', 'f6g8', 'g1f3', 'g8f6', 'f3g1', 'f6g8'];
    assert.equal(game_end(make_game(START_FEN, moves), 8)?.text, 'Draw by threefold repetition.');
    assert.equal(game_end(make_game(START_FEN, [...moves, 'e2e4']), 8), null);
});

test('moves are typed as SAN or as coordinates', () => {
    const fen = '4k3/1P6/8/8/8/8/8/R3K2R w KQ - 0 1';
    assert.deepEqual(['b8=Q+', 'b7b8q', 'O-O', '0-0', 'Ra1-a8', 'e1-d1', 'Kd3', 'b7b8', ''].map(text => typed_move(fen, text)),
                     ['b7b8q', 'b7b8q', 'e1g1', 'e1g1', 'a1a8', 'e1d1', null, null, null]);
});
