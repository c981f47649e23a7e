// The person's hands on the board: a click, a drag or a tap on a piece and then on its square, or
// the keyboard on the focused board (arrow keys and Enter). A legal move is played, a promotion
// first asks for its piece; anything else puts the piece back.
import { Chess } from 'chess.js';
import { COLOR, INPUT_EVENT_TYPE } from 'cm-chessboard/src/Chessboard.js';
import { PROMOTION_DIALOG_RESULT_TYPE } from 'cm-chessboard/src/extensions/promotion-dialog/PromotionDialog.js';

import { play_move } from './actions.mjs';
import { state } from './store.mjs';

// The handler of the board's input events; redraw() draws the state again over whatever the
// board did by itself (a promotion given up leaves the pawn on its last rank).
export function board_input(board, redraw)
{
    return event => {
        const chess = new Chess(state.game.fens[state.view]);
        if (event.type === INPUT_EVENT_TYPE.moveInputStarted)
            return chess.moves({ square: event.squareFrom }).length > 0;
        if (event.type !== INPUT_EVENT_TYPE.validateMoveInput)
            return true;
        const { squareFrom: from, squareTo: to } = event;
        const moves = chess.moves({ square: from, verbose: true }).filter(move => move.to === to);
        if (moves.length === 0)
            return false;
        if (moves.some(move => move.promotion)) {
            board.showPromotionDialog(to, chess.turn() === 'w' ? COLOR.white : COLOR.black, choice => {
                if (choice.type !== PROMOTION_DIALOG_RESULT_TYPE.pieceSelected || !play_move(from + to + choice.piece.charAt(1)))
                    redraw();
            });
            return true;
        }
        // Castling, en passant and the rest of the position are drawn once the board has moved the piece.
        board.state.moveInputProcess.then(() => play_move(from + to));
        return true;
    };
}
