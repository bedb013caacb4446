%% Neural network function for Matlab created by Nodelyx V2.20
%% Network file name: untitled
%% Structure:         2/3/1
%% Date:              Tue Mar  5 09:04:01 2024
%%
%% function outputs = small(inputs)
%%
%% This function implements a neural network trained
%% by Nodelyx that has 2 inputs and 1 outputs.
%% The input argument 'inputs' is a matrix arranged
%% in column format, i.e. one column per pattern and
%% one row for each neural network input.
%% The function output is a matrix with one row for
%% each neural network output and one column for each pattern.


function outputs = small(inputs)

%%
%% Check the number of input arguments
if (nargin ~= 1 | size(inputs,1) ~= 2)
    outputs = [];
    disp('inputs must be a 2 by n matrix');
    return
end

INPUTS = 2;

inputs = inputs';

%% Weight arrays 
W_In_H1 = [
 0.3333333333333333, -12345.678, 2.5e-07;
 1.1, -1.11, -2;
 1.2, -1.21, -2.5; ];

W_H1_Out = [
 2, -2.01, 2.02, -2.5; ];



%%  Compute hidden layer #1 
%%  Add bias to inputs and transpose the matrix 
inputs = [inputs ones(size(inputs,1),1)]'; 
%%  Get weighted sum and perform non-linear function 
tmp = W_In_H1 * inputs;
hidden1 = 1./(1 + exp(-tmp));

%% Compute network outputs 
%%  Add bias to hidden1 
hidden1 = [hidden1; ones(1, size(hidden1,2))];
%%  Get weighted sum and perform non-linear function 
tmp = W_H1_Out * hidden1;
outputs = 1./(1 + exp(-tmp));

%% Transpose the matrix so the new matrix has p rows and OUTPUTS columns
outputs = outputs';

outputs = outputs';

%% end of file
